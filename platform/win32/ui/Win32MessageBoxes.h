#pragma once

#include "host/UserInterface.h"

namespace win32ui {

// Message boxes. A request that the system's MessageBoxW answers as asked
// (OK; OK and Cancel; Yes, No and Cancel, whose Esc answer is the last
// button) is one; any other (Yes and No with an Esc answer, the four
// buttons of the overwrite question) is a box of the add-in's own with the
// request's buttons (ButtonBox). The default button, the icon and the
// caption are the request's. A box of the add-in belongs to its active
// window; a system box to none, so that the add-in's window keeps the focus
// it had. A box that cannot be shown (no display) is MessageBoxDismissed.
class Win32MessageBoxes final : public host::MessageBoxes {
public:
    int Show(const host::MessageBoxRequest& request) override;
};

}  // namespace win32ui
