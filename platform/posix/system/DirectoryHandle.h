#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "host/FileSystem.h"
#include "posix/system/Descriptor.h"
#include "posix/system/FileMove.h"
#include "posix/system/TemporaryFile.h"

namespace posix {

// host::Directory over a directory descriptor: every name is looked up with
// the *at system calls in that directory and never followed as a symbolic
// link, so nothing done through the handle reaches outside the tree it was
// opened on. renameAt is a seam for tests (other file systems, file systems
// without RENAME_NOREPLACE).
class DirectoryHandle : public host::Directory {
public:
    // The directory at nativePath, symbolic links on the way followed; throws
    // host::HostError (ERROR_PATH_NOT_FOUND when missing or no directory)
    // naming windowsPath.
    static std::unique_ptr<DirectoryHandle> Open(const std::filesystem::path& nativePath, std::u16string windowsPath,
                                                 RenameAtFunction renameAt = renameat2);
    DirectoryHandle(Descriptor directory, std::u16string windowsPath, RenameAtFunction renameAt);

    const std::u16string& Path() const override;
    host::EntryStatus Status(std::u16string_view name) override;
    std::vector<std::u16string> List() override;
    std::unique_ptr<host::Directory> Child(std::u16string_view name, bool create) override;
    std::unique_ptr<host::NewFile> CreateTemporary() override;
    std::unique_ptr<host::InputStream> OpenRead(std::u16string_view name, host::EntryStatus& status) override;
    // The destination must be a DirectoryHandle too. Across file systems the
    // file is copied (data, permission bits, times) into a new file there,
    // which is flushed and named before the original goes; the original stays
    // when it was replaced meanwhile.
    bool Rename(std::u16string_view name, host::Directory& to, std::u16string_view toName, bool replace) override;
    bool Remove(std::u16string_view name, const host::EntryStatus* expected = nullptr) override;
    bool SetLastWriteTime(std::u16string_view name, host::FileTime time) override;
    bool NameFits(std::u16string_view name) override;
    void Sync() override;
    void RemoveLeftovers() override;

    std::unique_ptr<TemporaryFile> CreateTemporaryFile();

private:
    bool CopyAcross(const std::string& storedName, DirectoryHandle& to, std::u16string_view toName, bool replace);
    bool IsSameDirectory(const DirectoryHandle& other) const;

    std::shared_ptr<const Descriptor> directory_;
    std::u16string path_;
    RenameAtFunction renameAt_;
};

}  // namespace posix
