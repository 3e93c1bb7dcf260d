#include "win32/ui/ButtonBox.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "win32/ui/TopWindow.h"
#include "win32/ui/Win32MessagePump.h"

namespace win32ui {

namespace {

constexpr int kFirstButton = 100;
constexpr int kTextWidth = 330;
constexpr int kButtonHeight = 23;
constexpr int kMargin = 12;

LPCWSTR IconOf(host::MessageIcon icon) {
    switch (icon) {
        case host::MessageIcon::Information: return MAKEINTRESOURCEW(32516);  // IDI_INFORMATION
        case host::MessageIcon::Question: return MAKEINTRESOURCEW(32514);     // IDI_QUESTION
        case host::MessageIcon::Warning: return MAKEINTRESOURCEW(32515);      // IDI_WARNING
        case host::MessageIcon::Error: return MAKEINTRESOURCEW(32513);        // IDI_ERROR
        case host::MessageIcon::None: return nullptr;
    }
    return nullptr;
}

// The height the text needs at the box's width, at 96 dpi.
int TextHeight(const std::wstring& text) {
    HDC screen = GetDC(nullptr);
    WindowLayout layout;
    HGDIOBJ previous = SelectObject(screen, layout.DialogFont());
    RECT rect{0, 0, layout.Scaled(kTextWidth), 0};
    DrawTextW(screen, text.c_str(), -1, &rect, DT_CALCRECT | DT_WORDBREAK);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    return MulDiv(rect.bottom, 96, std::max(1, layout.Scaled(96)));
}

int ButtonWidth(const std::u16string& caption) { return std::max(75, static_cast<int>(caption.size()) * 6 + 16); }

int ButtonsWidth(const host::MessageBoxRequest& request) {
    int width = 0;
    for (const auto& caption : request.Buttons) width += ButtonWidth(caption) + 6;
    return width - 6;
}

class Box final : public TopWindow {
public:
    Box(const host::MessageBoxRequest& request, int width, int textHeight)
        : TopWindow(std::wstring(request.Caption.begin(), request.Caption.end()).c_str(),
                    WS_POPUP | WS_CAPTION | WS_SYSMENU, width, textHeight + 2 * kMargin + kButtonHeight + kMargin),
          request_(request) {
        const WindowLayout& l = Layout();
        int left = kMargin;
        if (LPCWSTR icon = IconOf(request.Icon)) {
            HWND picture = l.Add(Handle(), L"STATIC", u"", SS_ICON, {kMargin, kMargin, 32, 32}, 0);
            SendMessageW(picture, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, icon)), 0);
            left += 44;
        }
        l.Add(Handle(), L"STATIC", request.Text, 0, {left, kMargin, kTextWidth, textHeight}, 0);
        int x = width - kMargin - ButtonsWidth(request);
        const int top = textHeight + 2 * kMargin;
        for (std::size_t i = 0; i < request.Buttons.size(); ++i) {
            const bool isDefault = i == request.DefaultButton;
            HWND button = l.Add(Handle(), L"BUTTON", request.Buttons[i],
                                (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP,
                                {x, top, ButtonWidth(request.Buttons[i]), kButtonHeight},
                                kFirstButton + static_cast<int>(i));
            if (isDefault) defaultButton_ = button;
            x += ButtonWidth(request.Buttons[i]) + 6;
        }
    }

    int Run() {
        HWND owner = request_.SystemBox ? nullptr : GetActiveWindow();
        if (owner != nullptr) EnableWindow(owner, FALSE);
        Show();
        SetForegroundWindow(Handle());
        if (defaultButton_ != nullptr) SetFocus(defaultButton_);
        MSG message{};
        BOOL got = TRUE;
        while (answer_ < 0 && (got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
            // Enter is the default button's, Esc the Esc answer.
            if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN) {
                answer_ = static_cast<int>(request_.DefaultButton);
                continue;
            }
            if (Win32MessagePump::IsDialogMessageOfAddIn(message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
        if (owner != nullptr) {
            EnableWindow(owner, TRUE);
            SetActiveWindow(owner);
        }
        Hide();
        return answer_ < 0 ? host::MessageBoxDismissed : answer_;
    }

protected:
    void OnCommand(int id, int code) override {
        if (code != BN_CLICKED) return;
        if (id == IDCANCEL) {
            answer_ = static_cast<int>(request_.EscapeButton);
        } else if (id >= kFirstButton && id < kFirstButton + static_cast<int>(request_.Buttons.size())) {
            answer_ = id - kFirstButton;
        }
    }
    void OnClose() override { answer_ = static_cast<int>(request_.EscapeButton); }

private:
    const host::MessageBoxRequest& request_;
    HWND defaultButton_ = nullptr;
    int answer_ = -1;
};

}  // namespace

int ShowButtonBox(const host::MessageBoxRequest& request) {
    const int textHeight = std::max(32, TextHeight(std::wstring(request.Text.begin(), request.Text.end())));
    const int width = std::max(kTextWidth + 44 + 2 * kMargin, ButtonsWidth(request) + 2 * kMargin);
    Box box(request, width, textHeight);
    return box.Run();
}

}  // namespace win32ui
