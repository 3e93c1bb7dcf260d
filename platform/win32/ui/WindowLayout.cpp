#include "win32/ui/WindowLayout.h"

#include "win32/WideText.h"

namespace win32ui {

namespace {

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

HFONT Tahoma(int dpi, int weight) {
    return CreateFontW(-MulDiv(8, dpi, 72), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma");
}

}  // namespace

WindowLayout::WindowLayout() : dpi_(ScreenDpi()), font_(Tahoma(dpi_, FW_NORMAL)), bold_(Tahoma(dpi_, FW_BOLD)) {}

WindowLayout::~WindowLayout() {
    DeleteObject(font_);
    DeleteObject(bold_);
}

SIZE WindowLayout::WindowSize(DWORD style, DWORD extendedStyle, int clientWidth, int clientHeight) const {
    RECT rect{0, 0, Scaled(clientWidth), Scaled(clientHeight)};
    AdjustWindowRectEx(&rect, style, FALSE, extendedStyle);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

HWND WindowLayout::Add(HWND parent, const wchar_t* windowClass, const std::u16string& text, DWORD style, Place place,
                       int id, bool bold, DWORD extendedStyle) const {
    HWND control = CreateWindowExW(extendedStyle, windowClass, win32::Wide(text).c_str(), WS_CHILD | WS_VISIBLE | style,
                                   Scaled(place.Left), Scaled(place.Top), Scaled(place.Width), Scaled(place.Height),
                                   parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), CodeModule(), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(bold ? bold_ : font_), FALSE);
    return control;
}

HINSTANCE CodeModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&CodeModule), &module);
    return module;
}

void CenterOnScreen(HWND window) {
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    SetWindowPos(window, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace win32ui
