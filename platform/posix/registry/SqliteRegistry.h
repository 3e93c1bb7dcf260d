#pragma once

#include <filesystem>
#include <functional>
#include <utility>

#include "host/Registry.h"
#include "posix/registry/HiveFiles.h"
#include "posix/registry/HiveTree.h"

namespace posix {

// Win32 codes for failures of the store itself, beyond those in com/HResult.h.
inline constexpr LONG ERROR_REGISTRY_CORRUPT = 1015;
inline constexpr LONG ERROR_REGISTRY_IO_FAILED = 1016;

// The registry over two SQLite hive files (see HiveFiles).
//
// Every call opens its hive anew and runs in one transaction, so registry
// objects in this or another process over the same files see each other's
// writes at once, and each write is atomic and durable.
//
// Writing: a hive that may not be written (see MayWriteHive: a file or
// directory this process may not write, mode bits that let nobody write, a
// directory that cannot be created) fails every write, CreateKey of an
// existing key included, with ERROR_ACCESS_DENIED, while reads go on
// working. A missing hive file reads as empty and is created by the first
// CreateKey. The roots themselves cannot be deleted (ERROR_ACCESS_DENIED).
//
// Failures of the store (a corrupt file, a full disk, a lock held past the
// busy timeout) make writes return ERROR_REGISTRY_CORRUPT, ERROR_DISK_FULL
// or ERROR_REGISTRY_IO_FAILED and change nothing. A hive file that is there
// but cannot be read (damaged, a database of something else, a directory,
// no permission) makes every read throw host::HostError naming the hive and
// how to repair it: what it holds must never pass for missing. A file of
// 0 bytes is what SQLite and the first write take for a new database, so it
// reads as empty, as a missing file does.
class SqliteRegistry final : public host::Registry {
public:
    explicit SqliteRegistry(HiveFiles files) : files_(std::move(files)) {}

    bool KeyExists(host::RegistryRoot root, std::u16string_view path) override;
    LONG CreateKey(host::RegistryRoot root, std::u16string_view path) override;
    LONG DeleteKeyTree(host::RegistryRoot root, std::u16string_view path) override;
    std::vector<std::u16string> SubKeyNames(host::RegistryRoot root, std::u16string_view path) override;
    std::vector<std::u16string> ValueNames(host::RegistryRoot root, std::u16string_view path) override;
    std::optional<host::RegistryValue> QueryValue(host::RegistryRoot root, std::u16string_view path,
                                                  std::u16string_view name) override;
    LONG SetValue(host::RegistryRoot root, std::u16string_view path, std::u16string_view name,
                  const host::RegistryValue& value) override;
    LONG DeleteValue(host::RegistryRoot root, std::u16string_view path, std::u16string_view name) override;

private:
    enum class MissingFile { Create, NotFound };
    using KeyAction = std::function<LONG(HiveTree&, HiveTree::KeyId)>;

    const std::filesystem::path& FileOf(host::RegistryRoot root) const;
    // Runs `action` on the existing key in one read transaction; a missing
    // file or key gives `missing`, a file that cannot be read throws.
    template <class Result, class Action>
    Result Read(host::RegistryRoot root, std::u16string_view path, Result missing, Action action);
    // Runs `action` on the existing key in one write transaction, committed
    // when the action succeeds.
    LONG WriteToKey(host::RegistryRoot root, std::u16string_view path, const KeyAction& action);
    LONG Write(host::RegistryRoot root, MissingFile missingFile, const std::function<LONG(HiveTree&)>& action);

    HiveFiles files_;
};

}  // namespace posix
