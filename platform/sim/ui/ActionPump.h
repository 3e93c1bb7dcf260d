#pragma once

// The message pump over a queue of actions a test posts, standing for the
// user's input and other events served while a run pumps.

#include <deque>
#include <functional>

#include "host/UserInterface.h"

namespace sim::ui {

class ActionPump final : public host::MessagePump {
public:
    ActionPump& Post(std::function<void()> action);
    // A quit request, consumed by the pump that takes it.
    ActionPump& PostQuit();

    // Serves what was posted before the call, in order; what those actions
    // post waits for the next call.
    bool ProcessPendingEvents() override;

    int Calls() const { return calls_; }
    std::size_t Pending() const { return queue_.size(); }

private:
    std::deque<std::function<void()>> queue_;  // an empty action stands for a quit request
    int calls_ = 0;
};

}  // namespace sim::ui
