#pragma once

#include <exception>
#include <utility>

namespace qtui {

// Shows an error that escaped from a window's event, in an error box.
void ShowEscapedError(const std::exception& error);

// Calls a window's event from a Qt signal. The windows report their own
// errors; one that escapes anyway must not unwind through Qt's event loop,
// so it is shown here.
template <class Event>
void CallEvent(Event&& event) {
    try {
        std::forward<Event>(event)();
    } catch (const std::exception& error) {
        ShowEscapedError(error);
    }
}

}  // namespace qtui
