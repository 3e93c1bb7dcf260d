#pragma once

#include "host/UserInterface.h"

namespace qtui {

// Serves the pending events of the Qt event loop from inside a long run.
// A quit request among them (a QEvent::Quit posted to the application, or
// sent by QCoreApplication::quit or by the close of the last window) is
// held back and reported, so that the run cancels instead of the program
// leaving under it, and posted again once the pump is done, so that the
// host's own loop still quits when the run has returned to it.
class QtMessagePump final : public host::MessagePump {
public:
    bool ProcessPendingEvents() override;
};

}  // namespace qtui
