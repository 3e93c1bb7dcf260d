#include "util/PathNames.h"

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

}  // namespace velmora
