#pragma once

#include <string>
#include <string_view>

// Byte-for-byte file comparison and temporary names, over the platform's file system.
namespace velmora {

// True when both files can be read and hold the same bytes.
bool SameContent(std::u16string_view first, std::u16string_view second);

// A name in the directory that no entry has yet, for a file written before
// it gets its final name.
std::u16string UnusedTemporaryName(std::u16string_view directory);

// Removes the file at the path when the object goes, unless released.
class TemporaryFile {
public:
    explicit TemporaryFile(std::u16string path) : path_(std::move(path)) {}
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::u16string& Path() const { return path_; }
    // The file has been moved to its final name; nothing to remove.
    void Release() { path_.clear(); }

private:
    std::u16string path_;
};

}  // namespace velmora
