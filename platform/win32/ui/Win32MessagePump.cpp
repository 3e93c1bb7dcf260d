#include "win32/ui/Win32MessagePump.h"

#include <algorithm>
#include <vector>

namespace win32ui {

namespace {

std::vector<HWND>& Dialogs() {
    static std::vector<HWND> dialogs;
    return dialogs;
}

}  // namespace

void Win32MessagePump::RegisterDialog(HWND window) { Dialogs().push_back(window); }

void Win32MessagePump::UnregisterDialog(HWND window) {
    auto& dialogs = Dialogs();
    dialogs.erase(std::remove(dialogs.begin(), dialogs.end(), window), dialogs.end());
}

bool Win32MessagePump::IsDialogMessageOfAddIn(MSG& message) {
    for (HWND dialog : Dialogs()) {
        if (IsWindow(dialog) && (message.hwnd == dialog || IsChild(dialog, message.hwnd)) &&
            IsDialogMessageW(dialog, &message)) {
            return true;
        }
    }
    return false;
}

bool Win32MessagePump::ProcessPendingEvents() {
    bool quit = false;
    WPARAM exitCode = 0;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit = true;
            exitCode = message.wParam;
            continue;
        }
        if (IsDialogMessageOfAddIn(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (quit) PostQuitMessage(static_cast<int>(exitCode));
    return quit;
}

}  // namespace win32ui
