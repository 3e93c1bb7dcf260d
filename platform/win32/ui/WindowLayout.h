#pragma once

#include <windows.h>

#include <string>

namespace win32ui {

// Where a control goes, in pixels at 96 dpi.
struct Place {
    int Left, Top, Width, Height;
};

// Makes the controls of one window at their places at 96 dpi, scaled for
// the monitor's DPI, in the dialog font (Tahoma 8 pt) or its bold face.
class WindowLayout {
public:
    WindowLayout();
    ~WindowLayout();
    WindowLayout(const WindowLayout&) = delete;
    WindowLayout& operator=(const WindowLayout&) = delete;

    int Scaled(int pixels) const { return MulDiv(pixels, dpi_, 96); }
    // The outer size of a top-level window of that style whose client area
    // has the size given at 96 dpi.
    SIZE WindowSize(DWORD style, DWORD extendedStyle, int clientWidth, int clientHeight) const;

    HWND Add(HWND parent, const wchar_t* windowClass, const std::u16string& text, DWORD style, Place place, int id,
             bool bold = false, DWORD extendedStyle = 0) const;
    HFONT DialogFont() const { return font_; }
    HFONT BoldFont() const { return bold_; }

private:
    int dpi_;
    HFONT font_;
    HFONT bold_;
};

// The module that holds this code (the DLL in a host): its windows' classes
// are registered for it.
HINSTANCE CodeModule();

// Centres a top-level window on the monitor's work area.
void CenterOnScreen(HWND window);

}  // namespace win32ui
