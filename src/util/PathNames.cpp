#include "util/PathNames.h"

#include <vector>

#include "base/Utf16.h"

namespace velmora {

namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u':'; }

size_t NameStart(std::u16string_view path) {
    size_t i = path.size();
    while (i > 0 && !IsSeparator(path[i - 1])) --i;
    return i;
}

// Position of the extension's dot within the last component, or npos.
size_t ExtensionStart(std::u16string_view path) {
    const size_t nameStart = NameStart(path);
    const size_t dot = path.rfind(u'.');
    return dot != std::u16string_view::npos && dot >= nameStart ? dot : std::u16string_view::npos;
}

}  // namespace

std::u16string ExtractFileName(std::u16string_view path) { return std::u16string(path.substr(NameStart(path))); }

std::u16string ExtractFilePath(std::u16string_view path) { return std::u16string(path.substr(0, NameStart(path))); }

std::u16string ExtractFileExt(std::u16string_view path) {
    const size_t dot = ExtensionStart(path);
    return dot == std::u16string_view::npos ? std::u16string() : std::u16string(path.substr(dot));
}

std::u16string JoinPath(std::u16string_view dir, std::u16string_view name) {
    std::u16string result;
    result.reserve(dir.size() + 1 + name.size());
    result.append(dir).append(1, u'\\').append(name);
    return result;
}

std::u16string ChangeFileExt(std::u16string_view path, std::u16string_view extension) {
    const size_t dot = ExtensionStart(path);
    std::u16string result(path.substr(0, dot == std::u16string_view::npos ? path.size() : dot));
    result += extension;
    return result;
}

std::u16string NormalizePath(std::u16string_view path) {
    std::u16string prefix;
    if (path.size() >= 2 && path[1] == u':') {
        prefix = path.substr(0, 2);
        path.remove_prefix(2);
    }
    const bool absolute = !path.empty() && path.front() == u'\\';
    std::vector<std::u16string_view> kept;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find(u'\\', start), path.size());
        const std::u16string_view component = path.substr(start, end - start);
        if (component == u"..") {
            if (!kept.empty()) kept.pop_back();
        } else if (!component.empty() && component != u".") {
            kept.push_back(component);
        }
        start = end + 1;
    }
    std::u16string result = prefix;
    if (absolute) result += u'\\';
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (i > 0) result += u'\\';
        result += kept[i];
    }
    return result;
}

bool IsBelow(std::u16string_view path, std::u16string_view directory, std::u16string* rest) {
    const std::u16string normalPath = NormalizePath(path);
    std::u16string normalDirectory = NormalizePath(directory);
    if (normalDirectory.empty() || normalDirectory.back() != u'\\') normalDirectory += u'\\';
    if (normalPath.size() <= normalDirectory.size() ||
        !SameText(std::u16string_view(normalPath).substr(0, normalDirectory.size()), normalDirectory)) {
        return false;
    }
    if (rest != nullptr) *rest = normalPath.substr(normalDirectory.size() - 1);
    return true;
}

}  // namespace velmora
