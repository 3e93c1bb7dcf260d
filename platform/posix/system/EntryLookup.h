#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>
#include <string_view>

namespace posix {

// "<directory>\<name>", the Windows path that messages about an entry name.
std::u16string EntryPath(std::u16string_view directoryPath, std::u16string_view name);

// Whether the name is a single component: not empty, not "." or "..",
// without '/' or NUL.
bool IsSingleName(std::u16string_view name);

// The name in UTF-8 when it is a single component: not empty, not "." or
// "..", without '/' or NUL. Otherwise throws host::HostError
// (ERROR_INVALID_NAME) naming entryPath.
std::string SingleName(std::u16string_view name, std::u16string_view entryPath);

struct FoundEntry {
    std::string Name;  // as stored
    struct stat Info {};  // of the entry itself, never of what a symbolic link points to
};

// The entry of the directory held open that has the name exactly, else the
// one equal to it without regard to letter case; nullopt when none. A name
// too long to exist matches nothing. Other failures throw host::HostError.
std::optional<FoundEntry> FindEntry(int directory, std::u16string_view name, std::u16string_view entryPath);

}  // namespace posix
