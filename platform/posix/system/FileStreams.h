#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "host/FileSystem.h"

namespace posix {

inline constexpr std::size_t kStreamBufferSize = 64 * 1024;

// Reads an open file through a buffer; owns the descriptor. Errors throw
// host::HostError naming windowsPath.
class FileInputStream : public host::InputStream {
public:
    FileInputStream(int fd, std::u16string windowsPath);
    ~FileInputStream() override;
    FileInputStream(const FileInputStream&) = delete;
    FileInputStream& operator=(const FileInputStream&) = delete;

    std::size_t Read(void* buffer, std::size_t size) override;

private:
    std::size_t ReadOnce(void* buffer, std::size_t size);

    int fd_;
    std::u16string path_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
};

// Writes an open file through a buffer; owns the descriptor. Commit flushes
// the data to stable storage and closes the file; a stream dropped without
// Commit still writes what it holds (errors ignored) and closes the file.
class FileOutputStream : public host::OutputStream {
public:
    FileOutputStream(int fd, std::u16string windowsPath);
    ~FileOutputStream() override;
    FileOutputStream(const FileOutputStream&) = delete;
    FileOutputStream& operator=(const FileOutputStream&) = delete;

    void Write(const void* data, std::size_t size) override;
    void Commit() override;

private:
    void RequireOpen() const;
    int Flush();
    [[noreturn]] void Fail(int error);

    int fd_;
    std::u16string path_;
    std::vector<char> buffer_;
};

}  // namespace posix
