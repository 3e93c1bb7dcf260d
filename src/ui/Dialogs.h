#pragma once

// The message boxes the windows show: questions and the error box.

#include <exception>
#include <string>

#include "base/Exception.h"
#include "host/UserInterface.h"

namespace velmora {

// The main dialog's own errors.
class EVelmoraException : public velmora::Exception {
public:
    using Exception::Exception;
};

// Shows a question and gives the index of the chosen button. A box closed
// by other means than its buttons gives its Esc answer, so that closing it
// never agrees to anything.
int Ask(const host::MessageBoxRequest& request);

// The error box's text: a period is appended unless the message ends in a
// character that sorts at or below "." (".", "!", ")", a blank) or is empty.
std::u16string ErrorBoxText(std::u16string message);

// The error box (a system box, error icon, one "OK" button) for an error
// that escaped a window's handler.
void ShowErrorBox(const std::exception& error);

// Runs a handler of a window; an error that escapes it goes to the error box.
template <class Handler>
void RunHandler(Handler&& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        ShowErrorBox(error);
    }
}

}  // namespace velmora
