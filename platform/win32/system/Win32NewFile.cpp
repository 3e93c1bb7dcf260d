#include "win32/system/Win32NewFile.h"

#include <cstring>

#include "win32/WideText.h"
#include "win32/system/EntryNames.h"
#include "win32/system/FileErrors.h"
#include "win32/system/FileStreams.h"
#include "win32/system/TemporaryNames.h"

namespace win32 {

namespace {

// A name taken already is tried again with another unique part; more
// collisions than this mean something else is wrong.
constexpr int kCreateAttempts = 16;

// Whether the entry of that name is a directory, which a placed file never replaces.
bool IsDirectoryEntry(HANDLE directory, std::u16string_view name) {
    Handle entry;
    RelativeOpen how;
    how.Access = FILE_READ_ATTRIBUTES;
    if (OpenRelative(directory, Wide(name), how, entry) < 0) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    return GetFileInformationByHandle(entry.Get(), &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

std::unique_ptr<Win32NewFile> Win32NewFile::Create(std::shared_ptr<const Handle> directory,
                                                   std::u16string directoryPath) {
    RelativeOpen how;
    how.Access = GENERIC_WRITE | DELETE | FILE_READ_ATTRIBUTES;
    how.Share = FILE_SHARE_READ;
    how.Disposition = kFileCreate;
    how.Options = kNonDirectoryFile;
    NTSTATUS status = kStatusObjectNameCollision;
    for (int attempt = 0; attempt < kCreateAttempts && status == kStatusObjectNameCollision; ++attempt) {
        std::u16string name = TemporaryFileName(GetCurrentProcessId(), NextTemporaryUnique());
        Handle file;
        status = OpenRelative(directory->Get(), Wide(name), how, file);
        if (status >= 0) {
            return std::unique_ptr<Win32NewFile>(
                new Win32NewFile(std::move(directory), std::move(directoryPath), std::move(file), std::move(name)));
        }
    }
    ThrowFileError(u"Cannot create", EntryPath(directoryPath, u".~velmora-*.tmp"), ErrorOf(status));
}

Win32NewFile::Win32NewFile(std::shared_ptr<const Handle> directory, std::u16string directoryPath, Handle file,
                           std::u16string temporaryName)
    : directory_(std::move(directory)),
      directoryPath_(std::move(directoryPath)),
      file_(std::move(file)),
      name_(std::move(temporaryName)) {
    buffer_.reserve(kNewFileBufferSize);
}

Win32NewFile::~Win32NewFile() {
    if (!placed_ && file_.Valid()) DeleteOnClose(file_.Get());
}

void Win32NewFile::Write(const void* data, std::size_t size) {
    if (finished_) ThrowFileError(u"Cannot write", CurrentPath(), ERROR_INVALID_PARAMETER, u"the file is finished");
    const auto* bytes = static_cast<const char*>(data);
    if (size >= kNewFileBufferSize) {
        Flush();
        WriteAll(file_.Get(), bytes, size, CurrentPath());
        return;
    }
    if (buffer_.size() + size > kNewFileBufferSize) Flush();
    buffer_.insert(buffer_.end(), bytes, bytes + size);
}

void Win32NewFile::Flush() {
    if (buffer_.empty()) return;
    WriteAll(file_.Get(), buffer_.data(), buffer_.size(), CurrentPath());
    buffer_.clear();
}

void Win32NewFile::Commit() { Finish(true); }

void Win32NewFile::Finish(bool durable) {
    if (finished_) return;
    Flush();
    if (durable) Sync();
    finished_ = true;
    std::vector<char>().swap(buffer_);
}

void Win32NewFile::Sync() {
    if (!FlushFileBuffers(file_.Get())) ThrowFileError(u"Cannot write", CurrentPath(), GetLastError());
}

bool Win32NewFile::Place(std::u16string_view name, bool replace) {
    RequireFinished(u"Cannot name");
    const std::u16string path = EntryPath(directoryPath_, name);
    if (placed_) ThrowFileError(u"Cannot name", path, ERROR_INVALID_PARAMETER, u"the file has its name already");
    if (!IsSingleName(name)) ThrowFileError(u"Cannot create", path, ERROR_INVALID_NAME);
    if (replace && IsDirectoryEntry(directory_->Get(), name)) return false;
    const NTSTATUS status = RenameRelative(file_.Get(), directory_->Get(), Wide(name), replace);
    if (status == kStatusObjectNameCollision) return false;
    if (status < 0) {
        // A directory that appeared meanwhile is still no file to replace.
        if (replace && IsDirectoryEntry(directory_->Get(), name)) return false;
        ThrowFileError(u"Cannot create", path, ErrorOf(status));
    }
    placed_ = true;
    name_ = std::u16string(name);
    return true;
}

const std::u16string& Win32NewFile::Name() const { return name_; }

void Win32NewFile::RequireFinished(std::u16string_view action) const {
    if (!finished_) ThrowFileError(action, CurrentPath(), ERROR_INVALID_PARAMETER, u"the file is not finished");
}

std::u16string Win32NewFile::CurrentPath() const { return EntryPath(directoryPath_, name_); }

}  // namespace win32
