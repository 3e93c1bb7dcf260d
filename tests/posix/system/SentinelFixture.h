#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "DriveFixture.h"
#include "host/HostError.h"
#include "posix/system/WindowsFileSystem.h"

namespace posix_tests {

// A tree to work in, C:\Target, and beside it, outside the drive, a
// sentinel directory holding a victim file: what an attacker's names and
// symbolic links aim at. Every test ends by checking that the sentinel is
// as it was.
class SentinelFixture : public DriveFixture {
protected:
    SentinelFixture() {
        std::filesystem::create_directories(Target());
        WriteNative(Victim(), "victim bytes");
        before_ = SentinelContents();
    }
    ~SentinelFixture() override { EXPECT_EQ(SentinelContents(), before_) << "the sentinel directory changed"; }

    std::filesystem::path Target() const { return C() / "Target"; }
    std::filesystem::path Sentinel() const { return temp.Path() / "sentinel"; }
    std::filesystem::path Victim() const { return Sentinel() / "victim.txt"; }

    // Every entry below the sentinel with its content.
    std::map<std::string, std::string> SentinelContents() const {
        std::map<std::string, std::string> contents;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(Sentinel())) {
            const std::string name = entry.path().lexically_relative(Sentinel()).native();
            contents[name] = entry.is_regular_file() ? ReadNative(entry.path()) : std::string("<not a file>");
        }
        return contents;
    }

    // The entries of C:\Target apart from those the test made itself.
    std::size_t TargetEntryCount() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(Target()), {}));
    }

    // The code of the HostError that action throws; S_OK when none.
    template <class Action>
    static HRESULT ErrorOf(Action action) {
        try {
            action();
        } catch (const host::HostError& error) {
            return error.Code();
        }
        return S_OK;
    }

    posix::WindowsFileSystem files{drives};

private:
    std::map<std::string, std::string> before_;
};

}  // namespace posix_tests
