#pragma once

// What the headless views share: visibility, the focus, and the rule that a
// user acts only on a window that is shown.

#include <functional>
#include <string>

#include "sim/ui/Desktop.h"

namespace sim::ui {

class Window : public Focusable {
public:
    Window(Desktop& desktop, std::function<void()> onDestroyed);
    ~Window() override;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    bool Visible() const override { return visible_; }
    int Raised() const { return raised_; }

protected:
    void ShowWindow();
    void HideWindow();
    void RaiseWindow();
    // Throws std::logic_error unless the window is shown: a user cannot
    // click what is not there.
    void RequireVisible(const char* action) const;
    Desktop& TheDesktop() { return desktop_; }

private:
    Desktop& desktop_;
    std::function<void()> onDestroyed_;
    bool visible_ = false;
    int raised_ = 0;
};

}  // namespace sim::ui
