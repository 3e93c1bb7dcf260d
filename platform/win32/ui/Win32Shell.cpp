#include "win32/ui/Win32Shell.h"

#include <windows.h>
#include <shellapi.h>

#include "win32/WideText.h"

namespace win32ui {

bool Win32Shell::Open(const std::u16string& address) {
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", win32::Wide(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    // ShellExecute reports success with a value above 32.
    return result > 32;
}

}  // namespace win32ui
