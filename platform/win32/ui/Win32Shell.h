#pragma once

#include "host/UserInterface.h"

namespace win32ui {

// Opens addresses and documents with the desktop's handler (ShellExecuteW, "open").
class Win32Shell final : public host::Shell {
public:
    bool Open(const std::u16string& address) override;
};

}  // namespace win32ui
