#include "posix/system/FileStreams.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "host/HostError.h"
#include "posix/system/Descriptor.h"
#include "posix/system/PosixErrors.h"

namespace posix {

FileInputStream::FileInputStream(int fd, std::u16string windowsPath)
    : fd_(fd), path_(std::move(windowsPath)), buffer_(kStreamBufferSize) {}

FileInputStream::~FileInputStream() { close(fd_); }

std::size_t FileInputStream::Read(void* buffer, std::size_t size) {
    if (size == 0) return 0;
    if (begin_ == end_) {
        // A request as large as the buffer gains nothing from copying through it.
        if (size >= buffer_.size()) return ReadOnce(buffer, size);
        begin_ = 0;
        end_ = ReadOnce(buffer_.data(), buffer_.size());
    }
    const std::size_t count = std::min(size, end_ - begin_);
    std::memcpy(buffer, buffer_.data() + begin_, count);
    begin_ += count;
    return count;
}

std::size_t FileInputStream::ReadOnce(void* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = read(fd_, buffer, size);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) ThrowErrnoFileError(u"Cannot read", path_, errno);
    }
}

FileOutputStream::FileOutputStream(int fd, std::u16string windowsPath) : fd_(fd), path_(std::move(windowsPath)) {
    buffer_.reserve(kStreamBufferSize);
}

FileOutputStream::~FileOutputStream() {
    if (fd_ < 0) return;
    Flush();
    close(fd_);
}

void FileOutputStream::Write(const void* data, std::size_t size) {
    RequireOpen();
    const char* bytes = static_cast<const char*>(data);
    if (buffer_.size() + size > buffer_.capacity()) {
        if (int error = Flush()) Fail(error);
    }
    if (size >= buffer_.capacity()) {
        if (int error = WriteAll(fd_, bytes, size)) Fail(error);
        return;
    }
    buffer_.insert(buffer_.end(), bytes, bytes + size);
}

void FileOutputStream::Commit() {
    RequireOpen();
    int error = Flush();
    if (error == 0 && fsync(fd_) != 0) error = errno;
    if (error != 0) Fail(error);
    const int closed = close(fd_);
    fd_ = -1;
    if (closed != 0) ThrowErrnoFileError(u"Cannot write", path_, errno);
}

void FileOutputStream::RequireOpen() const {
    if (fd_ < 0) ThrowFileError(u"Cannot write", path_, ERROR_INVALID_PARAMETER, u"the file is already closed");
}

int FileOutputStream::Flush() {
    const int error = WriteAll(fd_, buffer_.data(), buffer_.size());
    buffer_.clear();
    return error;
}

void FileOutputStream::Fail(int error) {
    close(fd_);
    fd_ = -1;
    ThrowErrnoFileError(u"Cannot write", path_, error);
}

}  // namespace posix
