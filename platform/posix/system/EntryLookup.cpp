#include "posix/system/EntryLookup.h"

#include <fcntl.h>

#include <cerrno>

#include "base/Utf16.h"
#include "posix/system/DirectoryEntries.h"
#include "posix/system/PosixErrors.h"

namespace posix {

std::u16string EntryPath(std::u16string_view directoryPath, std::u16string_view name) {
    std::u16string path(directoryPath);
    path += u'\\';
    path += name;
    return path;
}

bool IsSingleName(std::u16string_view name) {
    if (name.empty() || name == u"." || name == u"..") return false;
    return name.find(u'/') == std::u16string_view::npos && name.find(u'\0') == std::u16string_view::npos;
}

std::string SingleName(std::u16string_view name, std::u16string_view entryPath) {
    if (!IsSingleName(name)) {
        ThrowFileError(u"Cannot use", entryPath, ERROR_INVALID_NAME, u"not a single name");
    }
    return velmora::ToUtf8(name);
}

std::optional<FoundEntry> FindEntry(int directory, std::u16string_view name, std::u16string_view entryPath) {
    FoundEntry found{SingleName(name, entryPath), {}};
    if (fstatat(directory, found.Name.c_str(), &found.Info, AT_SYMLINK_NOFOLLOW) == 0) return found;
    if (errno != ENOENT && errno != ENAMETOOLONG) ThrowErrnoFileError(u"Cannot look up", entryPath, errno);
    std::optional<std::string> stored = MatchIgnoringCaseAt(directory, name);
    if (!stored) return std::nullopt;
    found.Name = std::move(*stored);
    // Gone since it was listed: as if it had never been there.
    if (fstatat(directory, found.Name.c_str(), &found.Info, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
    return found;
}

}  // namespace posix
