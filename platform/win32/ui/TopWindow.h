#pragma once

#include <windows.h>

#include "host/UserInterface.h"
#include "win32/ui/WindowLayout.h"

namespace win32ui {

// A top-level window of the add-in: created hidden with its client area at
// 96 dpi scaled, keyboard navigation served by the message pump, centred on
// its first showing. Subclasses answer its commands and notifications; its
// pages (Page) pass theirs up to it.
class TopWindow : public host::WindowView {
public:
    TopWindow(const wchar_t* title, DWORD style, int clientWidth, int clientHeight);
    ~TopWindow() override;
    TopWindow(const TopWindow&) = delete;
    TopWindow& operator=(const TopWindow&) = delete;

    void Show() override;
    void Hide() override;
    bool Visible() const override;
    void BringToFront() override;

    HWND Handle() const { return window_; }

    // A child window that holds controls and passes their messages to its window.
    HWND Page(HWND parent, Place place);

    // Whether a window is one of the add-in's, or a box one of them owns.
    static bool IsAddInWindow(HWND window);

protected:
    const WindowLayout& Layout() const { return layout_; }

    virtual void OnCommand(int id, int code) = 0;
    virtual void OnNotify(const NMHDR&) {}
    // The close box; the window stays unless a subclass hides it.
    virtual void OnClose() = 0;
    // The window lost the activation to next (null: to another program).
    virtual void OnDeactivate(HWND) {}

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PageProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    WindowLayout layout_;
    HWND window_ = nullptr;
    bool placed_ = false;
};

}  // namespace win32ui
