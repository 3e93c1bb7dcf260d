#include "win32/ui/Win32MessageBoxes.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "win32/WideText.h"
#include "win32/ui/ButtonBox.h"

namespace win32ui {

namespace {

using host::MessageBoxRequest;
using host::MessageIcon;

UINT IconStyle(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information: return MB_ICONINFORMATION;
        case MessageIcon::Question: return MB_ICONQUESTION;
        case MessageIcon::Warning: return MB_ICONWARNING;
        case MessageIcon::Error: return MB_ICONERROR;
        case MessageIcon::None: return 0;
    }
    return 0;
}

// The system's button set for the request, with the result of each button
// in order; none when the system has no set that answers Esc as asked.
struct SystemSet {
    UINT Style;
    std::vector<int> Results;
};

std::optional<SystemSet> SystemButtons(const MessageBoxRequest& request) {
    const auto& buttons = request.Buttons;
    const std::size_t last = buttons.empty() ? 0 : buttons.size() - 1;
    if (buttons == std::vector<std::u16string>{u"OK"}) return SystemSet{MB_OK, {IDOK}};
    if (buttons == std::vector<std::u16string>{u"OK", u"Cancel"} && request.EscapeButton == last) {
        return SystemSet{MB_OKCANCEL, {IDOK, IDCANCEL}};
    }
    if (buttons == std::vector<std::u16string>{u"&Yes", u"&No", u"Cancel"} && request.EscapeButton == last) {
        return SystemSet{MB_YESNOCANCEL, {IDYES, IDNO, IDCANCEL}};
    }
    return std::nullopt;
}

HWND Owner(const MessageBoxRequest& request) { return request.SystemBox ? nullptr : GetActiveWindow(); }

int ShowSystemBox(const MessageBoxRequest& request, const SystemSet& set) {
    const std::wstring text = win32::Wide(request.Text);
    const std::wstring caption = win32::Wide(request.Caption);
    const UINT defaultButton = static_cast<UINT>(std::min<std::size_t>(request.DefaultButton, 3)) * 0x100;
    const UINT modality = request.SystemBox ? MB_TASKMODAL : MB_APPLMODAL;
    const int result = MessageBoxW(Owner(request), text.c_str(), caption.c_str(),
                                   set.Style | IconStyle(request.Icon) | defaultButton | modality | MB_SETFOREGROUND);
    for (std::size_t i = 0; i < set.Results.size(); ++i) {
        if (set.Results[i] == result) return static_cast<int>(i);
    }
    return host::MessageBoxDismissed;
}

}  // namespace

int Win32MessageBoxes::Show(const MessageBoxRequest& request) {
    if (std::optional<SystemSet> set = SystemButtons(request)) return ShowSystemBox(request, *set);
    return ShowButtonBox(request);
}

}  // namespace win32ui
