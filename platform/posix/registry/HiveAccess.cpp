#include "posix/registry/HiveAccess.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

namespace posix {

namespace {

constexpr mode_t kAnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;

enum class Entry { Missing, Writable, ReadOnly };

Entry Examine(const std::filesystem::path& path, bool wantDirectory) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) return errno == ENOENT ? Entry::Missing : Entry::ReadOnly;
    bool rightKind = wantDirectory ? S_ISDIR(status.st_mode) : S_ISREG(status.st_mode);
    bool writable = (status.st_mode & kAnyWriteBit) != 0 && access(path.c_str(), W_OK) == 0;
    return rightKind && writable ? Entry::Writable : Entry::ReadOnly;
}

std::filesystem::path DirectoryOf(const std::filesystem::path& file) {
    auto directory = file.parent_path();
    return directory.empty() ? std::filesystem::path(".") : directory;
}

}  // namespace

bool MayWriteHive(const std::filesystem::path& file) {
    switch (Examine(file, false)) {
        case Entry::ReadOnly: return false;
        case Entry::Writable: return Examine(DirectoryOf(file), true) == Entry::Writable;
        case Entry::Missing: break;
    }
    for (auto directory = DirectoryOf(file);;) {
        auto entry = Examine(directory, true);
        if (entry != Entry::Missing) return entry == Entry::Writable;
        auto parent = DirectoryOf(directory);
        if (parent == directory) return false;
        directory = std::move(parent);
    }
}

bool CreateHiveDirectory(const std::filesystem::path& file) {
    std::error_code error;
    std::filesystem::create_directories(DirectoryOf(file), error);
    return !error;
}

}  // namespace posix
