#include "win32/system/EntryNames.h"

#include <array>

#include "base/Utf16.h"

namespace win32 {

namespace {

constexpr std::u16string_view kForbidden = u"\\/:*?\"<>|";
constexpr std::array<std::u16string_view, 6> kDevices{u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$", u"CONOUT$"};

bool IsDeviceName(std::u16string_view name) {
    const std::u16string_view stem = name.substr(0, name.find(u'.'));
    for (std::u16string_view device : kDevices) {
        if (velmora::SameText(stem, device)) return true;
    }
    // COM1 to COM9 and LPT1 to LPT9; superscript digits count too.
    if (stem.size() != 4) return false;
    const std::u16string_view kind = stem.substr(0, 3);
    if (!velmora::SameText(kind, u"COM") && !velmora::SameText(kind, u"LPT")) return false;
    const char16_t digit = stem[3];
    return (digit >= u'1' && digit <= u'9') || digit == u'\u00B9' || digit == u'\u00B2' || digit == u'\u00B3';
}

}  // namespace

bool IsSingleName(std::u16string_view name) {
    if (name.empty() || name == u"." || name == u"..") return false;
    for (char16_t c : name) {
        if (c < 0x20 || kForbidden.find(c) != std::u16string_view::npos) return false;
    }
    if (name.back() == u'.' || name.back() == u' ') return false;
    return !IsDeviceName(name);
}

}  // namespace win32
