#include "posix/system/FileUri.h"

#include "posix/system/CaseResolver.h"

namespace posix {

namespace {

bool KeptAsIs(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~' || c == '/';
}

}  // namespace

std::u16string FileUriOf(const DriveMap& drives, std::u16string_view path) {
    std::u16string uri = u"file://";
    const std::optional<std::filesystem::path> native = ResolveWindowsPath(drives, path);
    if (!native) return uri.append(path);
    constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";
    for (const char byte : native->native()) {
        const auto c = static_cast<unsigned char>(byte);
        if (KeptAsIs(c)) {
            uri += static_cast<char16_t>(c);
        } else {
            uri += u'%';
            uri += kHexDigits[c >> 4];
            uri += kHexDigits[c & 0x0F];
        }
    }
    return uri;
}

}  // namespace posix
