#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "TempDirectory.h"
#include "posix/system/DriveMap.h"

namespace posix_tests {

// A temporary directory with drives C: and D: mapped onto its sub-directories c and d.
class DriveFixture : public ::testing::Test {
protected:
    DriveFixture() {
        std::filesystem::create_directory(C());
        std::filesystem::create_directory(D());
        drives.Map(u'C', C());
        drives.Map(u'd', D());
    }

    std::filesystem::path C() const { return temp.Path() / "c"; }
    std::filesystem::path D() const { return temp.Path() / "d"; }

    static void WriteNative(const std::filesystem::path& path, const std::string& content) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
    }

    static std::string ReadNative(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    testing_support::TempDirectory temp;
    posix::DriveMap drives;
};

}  // namespace posix_tests
