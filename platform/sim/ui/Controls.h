#pragma once

// Controls as plain state, for views without a display.

#include <string>
#include <vector>

#include "host/UserInterface.h"

namespace sim::ui {

class CheckBox final : public host::CheckBox {
public:
    explicit CheckBox(bool checked = false) : checked_(checked) {}
    bool Checked() const override { return checked_; }
    void SetChecked(bool checked) override { checked_ = checked; }
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override { enabled_ = enabled; }

private:
    bool checked_;
    bool enabled_ = true;
};

class RadioButton;

// The buttons that exclude each other.
class RadioButtonGroup {
public:
    void Add(RadioButton& button) { members_.push_back(&button); }
    void CheckedOne(const RadioButton& checked);

private:
    std::vector<RadioButton*> members_;
};

class RadioButton final : public host::RadioButton {
public:
    RadioButton(RadioButtonGroup& group, std::u16string caption);
    bool Checked() const override { return checked_; }
    void SetChecked(bool checked) override;
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override { enabled_ = enabled; }
    std::u16string Caption() const override { return caption_; }
    void SetCaption(const std::u16string& caption) override { caption_ = caption; }

private:
    friend class RadioButtonGroup;

    RadioButtonGroup& group_;
    std::u16string caption_;
    bool checked_ = false;
    bool enabled_ = true;
};

class RadioGroup final : public host::RadioGroup {
public:
    RadioGroup(int itemCount, int itemIndex) : itemCount_(itemCount), itemIndex_(itemIndex) {}
    int ItemIndex() const override { return itemIndex_; }
    void SetItemIndex(int index) override { itemIndex_ = index >= 0 && index < itemCount_ ? index : -1; }
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override { enabled_ = enabled; }

private:
    int itemCount_;
    int itemIndex_;
    bool enabled_ = true;
};

class TextField final : public host::TextField {
public:
    explicit TextField(std::u16string text = {}) : text_(std::move(text)) {}
    std::u16string Text() const override { return text_; }
    void SetText(const std::u16string& text) override { text_ = text; }

private:
    std::u16string text_;
};

class UpDown final : public host::UpDown {
public:
    UpDown(int min, int max) : min_(min), max_(max), position_(min) {}
    int Position() const override { return position_; }
    void SetPosition(int position) override;

private:
    int min_;
    int max_;
    int position_;
};

class Label final : public host::Label {
public:
    explicit Label(std::u16string caption = {}) : caption_(std::move(caption)) {}
    std::u16string Caption() const override { return caption_; }
    void SetCaption(const std::u16string& caption) override { caption_ = caption; }

private:
    std::u16string caption_;
};

class Button final : public host::Button {
public:
    explicit Button(std::u16string caption) : caption_(std::move(caption)) {}
    std::u16string Caption() const override { return caption_; }
    void SetCaption(const std::u16string& caption) override { caption_ = caption; }

private:
    std::u16string caption_;
};

class PageControl final : public host::PageControl {
public:
    explicit PageControl(int pageCount) : pageCount_(pageCount) {}
    int ActivePage() const override { return activePage_; }
    void SetActivePage(int page) override;

private:
    int pageCount_;
    int activePage_ = 0;
};

class LogView final : public host::LogView {
public:
    void Clear() override;
    void Append(const std::u16string& line) override { lines_.push_back(line); }
    void RewriteLastLine(const std::u16string& line) override;
    std::u16string Text() const override;
    void SelectAll() override { allSelected_ = true; }

    const std::vector<std::u16string>& Lines() const { return lines_; }
    bool AllSelected() const { return allSelected_; }

private:
    std::vector<std::u16string> lines_;
    bool allSelected_ = false;
};

}  // namespace sim::ui
