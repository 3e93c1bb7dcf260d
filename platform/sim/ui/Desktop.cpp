#include "sim/ui/Desktop.h"

#include <utility>

namespace sim::ui {

void Desktop::Activate(Focusable& window) {
    if (active_ == &window) return;
    Focusable* previous = std::exchange(active_, &window);
    if (previous != nullptr && previous->Visible()) previous->LostFocus();
}

void Desktop::Release(const Focusable& window) {
    if (active_ == &window) active_ = nullptr;
}

Desktop::Modal::Modal(Desktop& desktop, Focusable& modal)
    : desktop_(desktop), modal_(modal), previous_(desktop.active_) {
    desktop_.Activate(modal_);
}

Desktop::Modal::~Modal() {
    desktop_.Release(modal_);
    if (desktop_.active_ == nullptr && previous_ != nullptr && previous_->Visible()) desktop_.active_ = previous_;
}

}  // namespace sim::ui
