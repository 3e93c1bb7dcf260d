#pragma once

#include <gtest/gtest.h>

#include <string>

namespace win32test {

// A copy of velmora.dll in a folder whose name has a blank, registered with
// regsvr32 for the test and unregistered after it.
class RegisteredDll : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The copy's full path, and the form the registration names it by.
    std::wstring dll;
    std::wstring registeredPath;

private:
    std::wstring folder_;
};

}  // namespace win32test
