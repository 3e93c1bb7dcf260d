#include "util/FileContent.h"

#include <array>
#include <cstring>

#include "base/Format.h"
#include "host/HostError.h"
#include "host/Platform.h"

namespace velmora {

namespace {

// Fills the buffer as far as the stream allows; fewer bytes only at the end.
size_t ReadFull(host::InputStream& stream, char* buffer, size_t size) {
    size_t filled = 0;
    while (filled < size) {
        const size_t got = stream.Read(buffer + filled, size - filled);
        if (got == 0) break;
        filled += got;
    }
    return filled;
}

}  // namespace

bool SameContent(std::u16string_view first, std::u16string_view second) {
    auto& files = host::TheFileSystem();
    const auto a = files.Find(first);
    const auto b = files.Find(second);
    if (!a || !b || a->IsDirectory || b->IsDirectory || a->Size != b->Size) return false;
    try {
        auto left = files.OpenRead(first);
        auto right = files.OpenRead(second);
        std::array<char, 65536> leftBuffer{};
        std::array<char, 65536> rightBuffer{};
        for (;;) {
            const size_t got = ReadFull(*left, leftBuffer.data(), leftBuffer.size());
            if (ReadFull(*right, rightBuffer.data(), rightBuffer.size()) != got) return false;
            if (std::memcmp(leftBuffer.data(), rightBuffer.data(), got) != 0) return false;
            if (got < leftBuffer.size()) return true;
        }
    } catch (const host::HostError&) {
        return false;
    }
}

std::u16string UnusedTemporaryName(std::u16string_view directory) {
    auto& files = host::TheFileSystem();
    for (std::int64_t n = 0;; ++n) {
        std::u16string candidate = Format(u"%s\\~velmora%d.tmp", {directory, n});
        if (!files.Find(candidate)) return candidate;
    }
}

TemporaryFile::~TemporaryFile() {
    if (path_.empty()) return;
    try {
        host::TheFileSystem().Remove(path_);
    } catch (const std::exception&) {
        // Nothing more can be done for a temporary file that will not go.
    }
}

}  // namespace velmora
