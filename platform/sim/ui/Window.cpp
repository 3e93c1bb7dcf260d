#include "sim/ui/Window.h"

#include <stdexcept>

namespace sim::ui {

Window::Window(Desktop& desktop, std::function<void()> onDestroyed)
    : desktop_(desktop), onDestroyed_(std::move(onDestroyed)) {}

Window::~Window() {
    desktop_.Release(*this);
    if (onDestroyed_) onDestroyed_();
}

void Window::ShowWindow() {
    visible_ = true;
    desktop_.Activate(*this);
}

void Window::HideWindow() {
    visible_ = false;
    desktop_.Release(*this);
}

void Window::RaiseWindow() {
    ++raised_;
    if (visible_) desktop_.Activate(*this);
}

void Window::RequireVisible(const char* action) const {
    if (!visible_) throw std::logic_error(std::string(action) + " on a window that is not shown");
}

}  // namespace sim::ui
