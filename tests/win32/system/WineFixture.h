#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "host/HostError.h"

namespace win32test {

// A fresh directory of its own under the temporary folder, removed with
// everything in it after the test; files written and read by path with the
// plain Win32 calls, beside the code under test.
class TempFolder {
public:
    // Under %TEMP%, or under another root (a Windows path) such as a folder
    // on another volume.
    explicit TempFolder(std::u16string_view root = {});
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::u16string& Path() const { return path_; }
    std::u16string operator/(std::u16string_view name) const { return path_ + u"\\" + std::u16string(name); }

private:
    std::u16string path_;
};

void WriteFile(const std::u16string& path, std::string_view content);
// The file's content; throws std::runtime_error when it cannot be read.
std::string ReadFile(const std::u16string& path);
bool Exists(const std::u16string& path);
void MakeDirectory(const std::u16string& path);

// A symbolic link as Wine shows one: a link of the Unix file system at
// linkPath to the Unix place of target (both Windows paths; the target need
// not exist), made by the Unix ln since Wine makes none itself. Wine reports
// a link to a directory as a reparse point and follows a link to a file like
// the file itself.
void MakeUnixLink(const std::u16string& linkPath, const std::u16string& target);

// The Win32 code inside a host error's HRESULT.
long Win32CodeOf(const host::HostError& error);

// Runs the call, expecting a host::HostError of that Win32 code.
template <class Call>
void ExpectFileError(long code, Call&& call) {
    try {
        call();
        ADD_FAILURE() << "no error, expected Win32 code " << code;
    } catch (const host::HostError& error) {
        EXPECT_EQ(Win32CodeOf(error), code) << error.what();
    }
}

}  // namespace win32test
