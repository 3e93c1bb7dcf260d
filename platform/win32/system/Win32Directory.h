#pragma once

#include <memory>
#include <string>

#include "host/FileSystem.h"
#include "win32/system/NtFiles.h"
#include "win32/system/Win32NewFile.h"

namespace win32 {

// host::Directory over a directory handle: every name is opened relative to
// the handle (NtCreateFile with a root directory), without regard to letter
// case, and never through a reparse point at the name (a symbolic link or a
// junction is an entry of its own, refused where a file or directory is
// wanted), so nothing done through the handle reaches outside the tree it
// was opened on. The handle does not share deletion: while it is held, the
// directory can be neither renamed nor removed, so its path stays true.
class Win32Directory final : public host::Directory {
public:
    // The directory at the path, links on the way followed (the path is the
    // user's choice); throws host::HostError (ERROR_PATH_NOT_FOUND when
    // missing or no directory) naming the path.
    static std::unique_ptr<Win32Directory> Open(std::u16string_view path);
    Win32Directory(Handle directory, std::u16string path);

    const std::u16string& Path() const override;
    host::EntryStatus Status(std::u16string_view name) override;
    std::vector<std::u16string> List() override;
    std::unique_ptr<host::Directory> Child(std::u16string_view name, bool create) override;
    std::unique_ptr<host::NewFile> CreateTemporary() override;
    std::unique_ptr<host::InputStream> OpenRead(std::u16string_view name, host::EntryStatus& status) override;
    // The destination must be a Win32Directory too. Across volumes the file
    // is copied (data and times) into a new file there, flushed and named
    // before the original, still held open, is deleted.
    bool Rename(std::u16string_view name, host::Directory& to, std::u16string_view toName, bool replace) override;
    bool Remove(std::u16string_view name, const host::EntryStatus* expected = nullptr) override;
    bool SetLastWriteTime(std::u16string_view name, host::FileTime time) override;
    bool NameFits(std::u16string_view name) override;
    void Sync() override;
    void RemoveLeftovers() override;

private:
    bool CopyAcross(HANDLE source, const std::u16string& sourcePath, Win32Directory& to, std::u16string_view toName,
                    bool replace);

    std::shared_ptr<const Handle> directory_;
    std::u16string path_;
    std::uint64_t volume_ = 0;  // the serial number, as EntryStatus::Device holds it
};

}  // namespace win32
