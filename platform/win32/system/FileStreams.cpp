#include "win32/system/FileStreams.h"

#include <algorithm>

#include "win32/system/FileErrors.h"

namespace win32 {

namespace {

// ReadFile and WriteFile take 32-bit counts.
constexpr std::size_t kLargestCall = 64u * 1024 * 1024;

}  // namespace

std::size_t FileInputStream::Read(void* buffer, std::size_t size) {
    DWORD got = 0;
    const auto wanted = static_cast<DWORD>(std::min(size, kLargestCall));
    if (!ReadFile(file_.Get(), buffer, wanted, &got, nullptr)) ThrowFileError(u"Cannot read", path_, GetLastError());
    return got;
}

void WriteAll(HANDLE file, const void* data, std::size_t size, std::u16string_view path) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(std::min(size, kLargestCall));
        if (!WriteFile(file, bytes, chunk, &written, nullptr)) ThrowFileError(u"Cannot write", path, GetLastError());
        bytes += written;
        size -= written;
    }
}

void FileOutputStream::Write(const void* data, std::size_t size) { WriteAll(file_.Get(), data, size, path_); }

void FileOutputStream::Commit() {
    if (!FlushFileBuffers(file_.Get())) ThrowFileError(u"Cannot write", path_, GetLastError());
    file_.Close();
}

}  // namespace win32
