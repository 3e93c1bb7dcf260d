#include "posix/system/WindowsPath.h"

#include "base/Utf16.h"

namespace posix {

namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool IsDriveLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

bool IsForbiddenInName(char16_t c) {
    return c < 0x20 || std::u16string_view(u"<>:\"|?*").find(c) != std::u16string_view::npos;
}

}  // namespace

std::optional<WindowsPath> ParseWindowsPath(std::u16string_view path) {
    if (path.size() < 2 || !IsDriveLetter(path[0]) || path[1] != u':') return std::nullopt;
    if (path.size() > 2 && !IsSeparator(path[2])) return std::nullopt;

    WindowsPath result;
    result.Drive = velmora::UpperChar(path[0]);
    std::size_t position = 2;
    while (position < path.size()) {
        while (position < path.size() && IsSeparator(path[position])) ++position;
        std::size_t end = position;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        const std::u16string_view name = path.substr(position, end - position);
        position = end;
        if (name.empty() || name == u".") continue;
        if (name == u"..") {
            if (!result.Components.empty()) result.Components.pop_back();
            continue;
        }
        for (char16_t c : name) {
            if (IsForbiddenInName(c)) return std::nullopt;
        }
        result.Components.emplace_back(name);
    }
    return result;
}

std::u16string FormatWindowsPath(const WindowsPath& path) {
    std::u16string text{path.Drive, u':', u'\\'};
    for (std::size_t i = 0; i < path.Components.size(); ++i) {
        if (i > 0) text += u'\\';
        text += path.Components[i];
    }
    return text;
}

}  // namespace posix
