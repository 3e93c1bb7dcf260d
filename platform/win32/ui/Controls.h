#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "host/UserInterface.h"

namespace win32ui {

// The host's control interfaces over Win32 controls. Setting a state from
// code sends no notification the views act on, so no event is called back.

class WinCheckBox final : public host::CheckBox {
public:
    explicit WinCheckBox(HWND control) : control_(control) {}
    bool Checked() const override;
    void SetChecked(bool checked) override;
    bool Enabled() const override;
    void SetEnabled(bool enabled) override;

private:
    HWND control_;
};

// Buttons of one group: checking one from code unchecks the others.
class WinRadioButton final : public host::RadioButton {
public:
    WinRadioButton(HWND control, std::vector<HWND> group) : control_(control), group_(std::move(group)) {}
    bool Checked() const override;
    void SetChecked(bool checked) override;
    bool Enabled() const override;
    void SetEnabled(bool enabled) override;
    std::u16string Caption() const override;
    void SetCaption(const std::u16string& caption) override;

private:
    HWND control_;
    std::vector<HWND> group_;
};

// A group box over radio buttons, item by item.
class WinRadioGroup final : public host::RadioGroup {
public:
    WinRadioGroup(HWND box, std::vector<HWND> items) : box_(box), items_(std::move(items)) {}
    int ItemIndex() const override;
    void SetItemIndex(int index) override;
    bool Enabled() const override;
    void SetEnabled(bool enabled) override;

private:
    HWND box_;
    std::vector<HWND> items_;
};

class WinTextField final : public host::TextField {
public:
    explicit WinTextField(HWND control) : control_(control) {}
    std::u16string Text() const override;
    void SetText(const std::u16string& text) override;

private:
    HWND control_;
};

class WinUpDown final : public host::UpDown {
public:
    explicit WinUpDown(HWND control) : control_(control) {}
    int Position() const override;
    void SetPosition(int position) override;

private:
    HWND control_;
};

class WinLabel final : public host::Label {
public:
    explicit WinLabel(HWND control) : control_(control) {}
    std::u16string Caption() const override;
    void SetCaption(const std::u16string& caption) override;

private:
    HWND control_;
};

class WinButton final : public host::Button {
public:
    explicit WinButton(HWND control) : control_(control) {}
    std::u16string Caption() const override;
    void SetCaption(const std::u16string& caption) override;

private:
    HWND control_;
};

// A tab control whose pages are child windows, one shown at a time.
class WinPageControl final : public host::PageControl {
public:
    WinPageControl(HWND tabs, std::vector<HWND> pages) : tabs_(tabs), pages_(std::move(pages)) {}
    int ActivePage() const override;
    void SetActivePage(int page) override;
    // Shows the page the user chose on the tabs.
    void ShowSelectedPage();

private:
    HWND tabs_;
    std::vector<HWND> pages_;
};

// A read-only multi-line edit control: lines are appended, or the last one
// replaced, by selecting at the end, never by setting the whole text.
class WinLogView final : public host::LogView {
public:
    explicit WinLogView(HWND control) : control_(control) {}
    void Clear() override;
    void Append(const std::u16string& line) override;
    void RewriteLastLine(const std::u16string& line) override;
    std::u16string Text() const override;
    void SelectAll() override;

private:
    HWND control_;
};

// A window's text as UTF-16.
std::u16string WindowText(HWND window);

}  // namespace win32ui
