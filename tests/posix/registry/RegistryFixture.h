#pragma once

#include <gtest/gtest.h>

#include "TempDirectory.h"
#include "posix/registry/SqliteRegistry.h"

// A registry over hive files of its own, in directories that do not exist yet.
class RegistryTest : public testing::Test {
protected:
    testing_support::TempDirectory temp;
    posix::HiveFiles files{temp.Path() / "user" / "user-registry.db",
                           temp.Path() / "machine" / "machine-registry.db"};
    posix::SqliteRegistry registry{files};
};
