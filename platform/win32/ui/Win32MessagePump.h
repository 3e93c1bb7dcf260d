#pragma once

#include <windows.h>

#include "host/UserInterface.h"

namespace win32ui {

// The thread's messages served with PeekMessage, keyboard navigation going
// to the add-in's windows (RegisterDialog). A quit request taken on the way
// is posted again once the queue is empty, so that the host's own loop
// ends as the user asked.
class Win32MessagePump final : public host::MessagePump {
public:
    bool ProcessPendingEvents() override;

    // Windows whose Tab, Enter and Esc are served as a dialog's.
    static void RegisterDialog(HWND window);
    static void UnregisterDialog(HWND window);
    // Whether the message went to a registered window's keyboard handling.
    static bool IsDialogMessageOfAddIn(MSG& message);
};

}  // namespace win32ui
