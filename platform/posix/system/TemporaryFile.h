#pragma once

#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "host/FileSystem.h"
#include "posix/system/Descriptor.h"
#include "posix/system/FileMove.h"

namespace posix {

inline constexpr std::size_t kNewFileBufferSize = 1024 * 1024;

// host::NewFile in a directory held open: created exclusively under a
// TemporaryFileName, written through a buffer as large as a copy's, and
// given its real name by renaming within that directory. The descriptors
// stay open until the object goes, so that a batch of finished files can be
// flushed later; the buffer goes at Finish.
class TemporaryFile : public host::NewFile {
public:
    // Throws host::HostError when the directory refuses the file.
    static std::unique_ptr<TemporaryFile> Create(std::shared_ptr<const Descriptor> directory,
                                                 std::u16string directoryPath, RenameAtFunction renameAt);
    ~TemporaryFile() override;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    void Write(const void* data, std::size_t size) override;
    void Commit() override;
    void Finish(bool durable) override;
    void Sync() override;
    bool Place(std::u16string_view name, bool replace) override;
    const std::u16string& Name() const override;

    // Gives the finished file the permission bits and times of the file it is a copy of.
    void CopyAttributes(const struct stat& original);

private:
    TemporaryFile(std::shared_ptr<const Descriptor> directory, std::u16string directoryPath,
                  RenameAtFunction renameAt, Descriptor file, std::string temporaryName);

    void RequireFinished(std::u16string_view action) const;
    [[noreturn]] void Fail(std::u16string_view action, int error) const;
    int Flush();
    std::u16string CurrentPath() const;

    std::shared_ptr<const Descriptor> directory_;
    std::u16string directoryPath_;
    RenameAtFunction renameAt_;
    Descriptor file_;
    std::string entryName_;  // on disk: the temporary name until placed
    std::u16string name_;
    std::vector<char> buffer_;
    bool finished_ = false;
    bool placed_ = false;
};

}  // namespace posix
