#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "LogEdit.h"
#include "PageControl.h"
#include "RadioGroup.h"
#include "RadioSet.h"
#include "UpDown.h"
#include "host/UserInterface.h"

// The user-interface controls of src/host over Qt widgets. Each adapter
// refers to a widget that its view owns and outlives the adapter.
namespace qtui {

class CheckBoxAdapter final : public host::CheckBox {
public:
    explicit CheckBoxAdapter(QCheckBox* box) : box_(box) {}
    bool Checked() const override;
    void SetChecked(bool checked) override;
    bool Enabled() const override;
    void SetEnabled(bool enabled) override;

private:
    QCheckBox* box_;
};

class RadioButtonAdapter final : public host::RadioButton {
public:
    explicit RadioButtonAdapter(RadioSetButton* button) : button_(button) {}
    bool Checked() const override;
    void SetChecked(bool checked) override;
    bool Enabled() const override;
    void SetEnabled(bool enabled) override;
    std::u16string Caption() const override;
    void SetCaption(const std::u16string& caption) override;

private:
    RadioSetButton* button_;
};

class RadioGroupAdapter final : public host::RadioGroup {
public:
    explicit RadioGroupAdapter(qtui::RadioGroup* group) : group_(group) {}
    int ItemIndex() const override;
    void SetItemIndex(int index) override;
    bool Enabled() const override;
    void SetEnabled(bool enabled) override;

private:
    qtui::RadioGroup* group_;
};

class TextFieldAdapter final : public host::TextField {
public:
    explicit TextFieldAdapter(QLineEdit* edit) : edit_(edit) {}
    std::u16string Text() const override;
    void SetText(const std::u16string& text) override;

private:
    QLineEdit* edit_;
};

class UpDownAdapter final : public host::UpDown {
public:
    explicit UpDownAdapter(qtui::UpDown* arrows) : arrows_(arrows) {}
    int Position() const override;
    void SetPosition(int position) override;

private:
    qtui::UpDown* arrows_;
};

class LabelAdapter final : public host::Label {
public:
    explicit LabelAdapter(QLabel* label) : label_(label) {}
    std::u16string Caption() const override;
    void SetCaption(const std::u16string& caption) override;

private:
    QLabel* label_;
};

class ButtonAdapter final : public host::Button {
public:
    explicit ButtonAdapter(QPushButton* button) : button_(button) {}
    std::u16string Caption() const override;
    void SetCaption(const std::u16string& caption) override;

private:
    QPushButton* button_;
};

class PageControlAdapter final : public host::PageControl {
public:
    explicit PageControlAdapter(qtui::PageControl* pages) : pages_(pages) {}
    int ActivePage() const override;
    void SetActivePage(int page) override;

private:
    qtui::PageControl* pages_;
};

class LogViewAdapter final : public host::LogView {
public:
    explicit LogViewAdapter(LogEdit* log) : log_(log) {}
    void Clear() override;
    void Append(const std::u16string& line) override;
    void RewriteLastLine(const std::u16string& line) override;
    std::u16string Text() const override;
    void SelectAll() override;

private:
    LogEdit* log_;
};

}  // namespace qtui
