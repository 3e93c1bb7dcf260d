#pragma once

#include "host/UserInterface.h"

namespace qtui {

// Marks a message box that stands for a system box: the main dialog does
// not count the focus moving to it as its own deactivation.
inline constexpr char SystemBoxProperty[] = "velmoraSystemBox";

// Message boxes as QMessageBox: the buttons in the order asked for, the
// default answering Enter, the Esc answer answering Esc; closing the box by
// its close box answers host::MessageBoxDismissed.
class QtMessageBoxes final : public host::MessageBoxes {
public:
    int Show(const host::MessageBoxRequest& request) override;
};

}  // namespace qtui
