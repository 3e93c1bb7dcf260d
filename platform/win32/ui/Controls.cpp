#include "win32/ui/Controls.h"

#include <commctrl.h>

#include "win32/WideText.h"

namespace win32ui {

std::u16string WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return win32::FromWide(text);
}

bool WinCheckBox::Checked() const { return SendMessageW(control_, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void WinCheckBox::SetChecked(bool checked) {
    SendMessageW(control_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}
bool WinCheckBox::Enabled() const { return IsWindowEnabled(control_) != 0; }
void WinCheckBox::SetEnabled(bool enabled) { EnableWindow(control_, enabled); }

bool WinRadioButton::Checked() const { return SendMessageW(control_, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void WinRadioButton::SetChecked(bool checked) {
    if (checked) {
        for (HWND other : group_) {
            if (other != control_) SendMessageW(other, BM_SETCHECK, BST_UNCHECKED, 0);
        }
    }
    SendMessageW(control_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}
bool WinRadioButton::Enabled() const { return IsWindowEnabled(control_) != 0; }
void WinRadioButton::SetEnabled(bool enabled) { EnableWindow(control_, enabled); }
std::u16string WinRadioButton::Caption() const { return WindowText(control_); }
void WinRadioButton::SetCaption(const std::u16string& caption) {
    SetWindowTextW(control_, win32::Wide(caption).c_str());
}

int WinRadioGroup::ItemIndex() const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (SendMessageW(items_[i], BM_GETCHECK, 0, 0) == BST_CHECKED) return static_cast<int>(i);
    }
    return -1;
}
void WinRadioGroup::SetItemIndex(int index) {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        SendMessageW(items_[i], BM_SETCHECK, static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}
bool WinRadioGroup::Enabled() const { return IsWindowEnabled(box_) != 0; }
void WinRadioGroup::SetEnabled(bool enabled) {
    EnableWindow(box_, enabled);
    for (HWND item : items_) EnableWindow(item, enabled);
}

std::u16string WinTextField::Text() const { return WindowText(control_); }
void WinTextField::SetText(const std::u16string& text) { SetWindowTextW(control_, win32::Wide(text).c_str()); }

int WinUpDown::Position() const { return static_cast<int>(SendMessageW(control_, UDM_GETPOS32, 0, 0)); }
void WinUpDown::SetPosition(int position) { SendMessageW(control_, UDM_SETPOS32, 0, position); }

std::u16string WinLabel::Caption() const { return WindowText(control_); }
void WinLabel::SetCaption(const std::u16string& caption) { SetWindowTextW(control_, win32::Wide(caption).c_str()); }

std::u16string WinButton::Caption() const { return WindowText(control_); }
void WinButton::SetCaption(const std::u16string& caption) { SetWindowTextW(control_, win32::Wide(caption).c_str()); }

int WinPageControl::ActivePage() const { return static_cast<int>(SendMessageW(tabs_, TCM_GETCURSEL, 0, 0)); }
void WinPageControl::SetActivePage(int page) {
    if (page < 0 || page >= static_cast<int>(pages_.size())) return;
    SendMessageW(tabs_, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
    ShowSelectedPage();
}
void WinPageControl::ShowSelectedPage() {
    const int active = ActivePage();
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        if (static_cast<int>(i) != active) ShowWindow(pages_[i], SW_HIDE);
    }
    if (active < 0 || active >= static_cast<int>(pages_.size())) return;
    // Above the tabs, which are drawn around it.
    SetWindowPos(pages_[static_cast<std::size_t>(active)], HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
}

void WinLogView::Clear() { SetWindowTextW(control_, L""); }
void WinLogView::Append(const std::u16string& line) {
    const int end = GetWindowTextLengthW(control_);
    const std::wstring text = (end > 0 ? L"\r\n" : L"") + win32::Wide(line);
    SendMessageW(control_, EM_SETSEL, end, end);
    SendMessageW(control_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}
void WinLogView::RewriteLastLine(const std::u16string& line) {
    const int end = GetWindowTextLengthW(control_);
    if (end == 0) {
        Append(line);
        return;
    }
    const auto lines = SendMessageW(control_, EM_GETLINECOUNT, 0, 0);
    const auto start = SendMessageW(control_, EM_LINEINDEX, static_cast<WPARAM>(lines - 1), 0);
    const std::wstring text = win32::Wide(line);
    SendMessageW(control_, EM_SETSEL, static_cast<WPARAM>(start), end);
    SendMessageW(control_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}
std::u16string WinLogView::Text() const { return WindowText(control_); }
void WinLogView::SelectAll() { SendMessageW(control_, EM_SETSEL, 0, -1); }

}  // namespace win32ui
