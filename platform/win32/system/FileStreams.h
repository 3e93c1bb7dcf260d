#pragma once

#include <string>

#include "host/FileSystem.h"
#include "win32/system/NtFiles.h"

namespace win32 {

// host::InputStream over an open file handle; errors name the path.
class FileInputStream final : public host::InputStream {
public:
    FileInputStream(Handle file, std::u16string path) : file_(std::move(file)), path_(std::move(path)) {}
    std::size_t Read(void* buffer, std::size_t size) override;

private:
    Handle file_;
    std::u16string path_;
};

// host::OutputStream over an open file handle: Commit flushes the data to
// the disk and closes the file.
class FileOutputStream final : public host::OutputStream {
public:
    FileOutputStream(Handle file, std::u16string path) : file_(std::move(file)), path_(std::move(path)) {}
    void Write(const void* data, std::size_t size) override;
    void Commit() override;

private:
    Handle file_;
    std::u16string path_;
};

// Writes all of the data to the handle; throws naming the path.
void WriteAll(HANDLE file, const void* data, std::size_t size, std::u16string_view path);

}  // namespace win32
