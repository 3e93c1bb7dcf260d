#include <gtest/gtest.h>

#include "ScopedEnvironment.h"
#include "posix/registry/CatalogFile.h"

using posix_tests::ScopedVariable;

TEST(CatalogFile, TheVariableNamesTheFile) {
    ScopedVariable catalog("VELMORA_CATALOG", "/srv/shared/catalog of files.db");
    ScopedVariable hive("VELMORA_USER_REGISTRY", "/data/hives/user.db");
    EXPECT_EQ(posix::CatalogFileFromEnvironment(), "/srv/shared/catalog of files.db");
}

TEST(CatalogFile, OtherwiseTheCatalogSitsBesideTheUsersHive) {
    ScopedVariable home("HOME", "/home/ann");
    ScopedVariable config("XDG_CONFIG_HOME", nullptr);
    {
        ScopedVariable catalog("VELMORA_CATALOG", "");
        ScopedVariable hive("VELMORA_USER_REGISTRY", "/data/hives/user.db");
        EXPECT_EQ(posix::CatalogFileFromEnvironment(), "/data/hives/catalog.db");
    }
    ScopedVariable catalog("VELMORA_CATALOG", nullptr);
    ScopedVariable hive("VELMORA_USER_REGISTRY", nullptr);
    EXPECT_EQ(posix::CatalogFileFromEnvironment(), "/home/ann/.config/velmora/catalog.db");
}
