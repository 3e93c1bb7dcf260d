#include "posix/system/TemporaryFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/Utf16.h"
#include "posix/system/EntryLookup.h"
#include "posix/system/PosixErrors.h"
#include "posix/system/TemporaryNames.h"

namespace posix {

std::unique_ptr<TemporaryFile> TemporaryFile::Create(std::shared_ptr<const Descriptor> directory,
                                                     std::u16string directoryPath, RenameAtFunction renameAt) {
    for (;;) {
        std::string name = TemporaryFileName(getpid(), NextTemporaryUnique());
        Descriptor file(openat(directory->Get(), name.c_str(),
                               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (file.Valid()) {
            return std::unique_ptr<TemporaryFile>(new TemporaryFile(std::move(directory), std::move(directoryPath),
                                                                    renameAt, std::move(file), std::move(name)));
        }
        // Someone else holds that name: another unique part will do.
        if (errno != EEXIST) {
            ThrowErrnoFileError(u"Cannot create", EntryPath(directoryPath, velmora::FromUtf8(name)), errno);
        }
    }
}

TemporaryFile::TemporaryFile(std::shared_ptr<const Descriptor> directory, std::u16string directoryPath,
                             RenameAtFunction renameAt, Descriptor file, std::string temporaryName)
    : directory_(std::move(directory)),
      directoryPath_(std::move(directoryPath)),
      renameAt_(renameAt),
      file_(std::move(file)),
      entryName_(std::move(temporaryName)),
      name_(velmora::FromUtf8(entryName_)) {
    buffer_.reserve(kNewFileBufferSize);
}

TemporaryFile::~TemporaryFile() {
    if (!placed_) unlinkat(directory_->Get(), entryName_.c_str(), 0);
}

void TemporaryFile::Write(const void* data, std::size_t size) {
    if (finished_) ThrowFileError(u"Cannot write", CurrentPath(), ERROR_INVALID_PARAMETER, u"the file is finished");
    const char* bytes = static_cast<const char*>(data);
    if (buffer_.size() + size > buffer_.capacity()) {
        if (int error = Flush()) Fail(u"Cannot write", error);
    }
    if (size >= buffer_.capacity()) {
        if (int error = WriteAll(file_.Get(), bytes, size)) Fail(u"Cannot write", error);
        return;
    }
    buffer_.insert(buffer_.end(), bytes, bytes + size);
}

void TemporaryFile::Commit() { Finish(true); }

void TemporaryFile::Finish(bool durable) {
    if (!finished_) {
        if (int error = Flush()) Fail(u"Cannot write", error);
        std::vector<char>().swap(buffer_);
        finished_ = true;
    }
    if (durable) Sync();
}

void TemporaryFile::Sync() {
    RequireFinished(u"Cannot flush");
    if (fdatasync(file_.Get()) != 0) Fail(u"Cannot flush", errno);
}

bool TemporaryFile::Place(std::u16string_view name, bool replace) {
    const std::u16string path = EntryPath(directoryPath_, name);
    RequireFinished(u"Cannot create");
    if (placed_) ThrowFileError(u"Cannot create", path, ERROR_INVALID_PARAMETER, u"the file has its name already");
    const int directory = directory_->Get();
    // The name as given: the caller, who keeps the directory's names, has
    // matched letter case already, and a look through the whole directory
    // for every file would make saving slower as the directory fills.
    std::string target = SingleName(name, path);
    if (!replace) {
        if (RenameAtWithoutReplacing(renameAt_, directory, entryName_.c_str(), directory, target.c_str()) != 0) {
            if (errno == EEXIST) return false;
            ThrowErrnoFileError(u"Cannot create", path, errno);
        }
    } else {
        // The entry of that name goes, whatever it points to; a directory stays.
        struct stat existing {};
        if (fstatat(directory, target.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(existing.st_mode)) {
            return false;
        }
        if (renameAt_(directory, entryName_.c_str(), directory, target.c_str(), 0) != 0) {
            if (errno == EISDIR || errno == ENOTEMPTY || errno == EEXIST) return false;
            ThrowErrnoFileError(u"Cannot create", path, errno);
        }
    }
    entryName_ = std::move(target);
    name_ = velmora::FromUtf8(entryName_);
    placed_ = true;
    return true;
}

const std::u16string& TemporaryFile::Name() const { return name_; }

void TemporaryFile::CopyAttributes(const struct stat& original) {
    RequireFinished(u"Cannot set the attributes of");
    const timespec times[2] = {original.st_atim, original.st_mtim};
    if (fchmod(file_.Get(), original.st_mode & 0777) != 0 || futimens(file_.Get(), times) != 0) {
        Fail(u"Cannot set the attributes of", errno);
    }
}

void TemporaryFile::RequireFinished(std::u16string_view action) const {
    if (!finished_) ThrowFileError(action, CurrentPath(), ERROR_INVALID_PARAMETER, u"the file is still being written");
}

void TemporaryFile::Fail(std::u16string_view action, int error) const {
    ThrowErrnoFileError(action, CurrentPath(), error);
}

int TemporaryFile::Flush() {
    const int error = WriteAll(file_.Get(), buffer_.data(), buffer_.size());
    buffer_.clear();
    return error;
}

std::u16string TemporaryFile::CurrentPath() const { return EntryPath(directoryPath_, name_); }

}  // namespace posix
