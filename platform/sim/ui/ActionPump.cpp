#include "sim/ui/ActionPump.h"

namespace sim::ui {

ActionPump& ActionPump::Post(std::function<void()> action) {
    if (action) queue_.push_back(std::move(action));
    return *this;
}

ActionPump& ActionPump::PostQuit() {
    queue_.emplace_back();
    return *this;
}

bool ActionPump::ProcessPendingEvents() {
    ++calls_;
    bool quit = false;
    for (std::size_t pending = queue_.size(); pending > 0; --pending) {
        auto action = std::move(queue_.front());
        queue_.pop_front();
        if (action) {
            action();
        } else {
            quit = true;
        }
    }
    return quit;
}

}  // namespace sim::ui
