#include "win32/ui/TopWindow.h"

#include "host/HostError.h"
#include "win32/system/Win32Errors.h"
#include "win32/ui/Win32MessagePump.h"

namespace win32ui {

namespace {

constexpr wchar_t kWindowClass[] = L"VelmoraWindow";
constexpr wchar_t kPageClass[] = L"VelmoraPage";

// Registers a class of this module; one left by an earlier load of the
// module (a DLL does not take its classes along when it unloads) is
// replaced, since its window procedure is gone.
void Register(const WNDCLASSEXW& windowClass) {
    if (RegisterClassExW(&windowClass) != 0 || GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return;
    UnregisterClassW(windowClass.lpszClassName, windowClass.hInstance);
    RegisterClassExW(&windowClass);
}

void RegisterClasses(WNDPROC window, WNDPROC page) {
    static const bool registered = [&] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = window;
        windowClass.hInstance = CodeModule();
        windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
        windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        windowClass.lpszClassName = kWindowClass;
        Register(windowClass);
        WNDCLASSEXW pageClass = windowClass;
        pageClass.lpfnWndProc = page;
        pageClass.lpszClassName = kPageClass;
        Register(pageClass);
        return true;
    }();
    (void)registered;
}

}  // namespace

TopWindow::TopWindow(const wchar_t* title, DWORD style, int clientWidth, int clientHeight) {
    RegisterClasses(Procedure, PageProcedure);
    const DWORD extended = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    const SIZE size = layout_.WindowSize(style, extended, clientWidth, clientHeight);
    window_ = CreateWindowExW(extended, kWindowClass, title, style, CW_USEDEFAULT, CW_USEDEFAULT, size.cx, size.cy,
                              nullptr, nullptr, CodeModule(), this);
    if (window_ == nullptr) throw win32::LastFailure(u"The window cannot be made");
    Win32MessagePump::RegisterDialog(window_);
}

TopWindow::~TopWindow() {
    Win32MessagePump::UnregisterDialog(window_);
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

void TopWindow::Show() {
    if (!placed_) CenterOnScreen(window_);
    placed_ = true;
    ShowWindow(window_, SW_SHOW);
}

void TopWindow::Hide() { ShowWindow(window_, SW_HIDE); }

bool TopWindow::Visible() const { return IsWindowVisible(window_) != 0; }

void TopWindow::BringToFront() { SetForegroundWindow(window_); }

HWND TopWindow::Page(HWND parent, Place place) {
    return layout_.Add(parent, kPageClass, u"", WS_CLIPSIBLINGS, place, 0, false, WS_EX_CONTROLPARENT);
}

bool TopWindow::IsAddInWindow(HWND window) {
    for (HWND candidate = window; candidate != nullptr; candidate = GetWindow(candidate, GW_OWNER)) {
        wchar_t name[32] = {};
        GetClassNameW(candidate, name, 32);
        if (std::wstring_view(name) == kWindowClass) return true;
    }
    return false;
}

LRESULT CALLBACK TopWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TopWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr) {
        switch (message) {
            case WM_COMMAND: self->OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
            case WM_NOTIFY: self->OnNotify(*reinterpret_cast<const NMHDR*>(lParam)); return 0;
            case WM_CLOSE: self->OnClose(); return 0;
            case WM_ACTIVATE:
                if (LOWORD(wParam) == WA_INACTIVE) self->OnDeactivate(reinterpret_cast<HWND>(lParam));
                break;
            default: break;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK TopWindow::PageProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND || message == WM_NOTIFY) {
        return SendMessageW(GetAncestor(window, GA_ROOT), message, wParam, lParam);
    }
    if (message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORBTN) {
        return SendMessageW(GetAncestor(window, GA_ROOT), message, wParam, lParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace win32ui
