#pragma once

#include "host/UserInterface.h"

namespace win32ui {

// A message box of the add-in's own, for button sets the system's
// MessageBoxW has not (the four answers of the overwrite question, Yes and
// No with an Esc answer): the request's icon, text and buttons, its default
// button on Enter, its Esc answer on Esc and on the close box. Modal to the
// window that is active when it opens.
int ShowButtonBox(const host::MessageBoxRequest& request);

}  // namespace win32ui
