#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/FileSystem.h"
#include "win32/system/NtFiles.h"

namespace win32 {

inline constexpr std::size_t kNewFileBufferSize = 1024 * 1024;

// host::NewFile in a directory held open: created exclusively under a
// temporary name (TemporaryNames.h) relative to the directory's handle,
// written through a buffer, and given its real name by renaming the open
// file within that directory, never replacing unless asked. The handle
// stays open until the object goes, so that a batch of finished files can
// be flushed later; dropped unplaced, the file is deleted through it.
class Win32NewFile final : public host::NewFile {
public:
    // Throws host::HostError when the directory refuses the file.
    static std::unique_ptr<Win32NewFile> Create(std::shared_ptr<const Handle> directory, std::u16string directoryPath);
    ~Win32NewFile() override;
    Win32NewFile(const Win32NewFile&) = delete;
    Win32NewFile& operator=(const Win32NewFile&) = delete;

    void Write(const void* data, std::size_t size) override;
    void Commit() override;
    void Finish(bool durable) override;
    void Sync() override;
    bool Place(std::u16string_view name, bool replace) override;
    const std::u16string& Name() const override;

    // The open file, for copying times onto it.
    HANDLE File() const { return file_.Get(); }

private:
    Win32NewFile(std::shared_ptr<const Handle> directory, std::u16string directoryPath, Handle file,
                 std::u16string temporaryName);

    void RequireFinished(std::u16string_view action) const;
    void Flush();
    std::u16string CurrentPath() const;

    std::shared_ptr<const Handle> directory_;
    std::u16string directoryPath_;
    Handle file_;
    std::u16string name_;
    std::vector<char> buffer_;
    bool finished_ = false;
    bool placed_ = false;
};

}  // namespace win32
