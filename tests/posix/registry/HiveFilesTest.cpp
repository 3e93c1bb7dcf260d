#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

#include "posix/registry/HiveFiles.h"

namespace {

// Sets environment variables for one test and puts the old values back.
class Environment {
public:
    ~Environment() {
        for (const auto& [name, value] : saved_) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
    }

    void Set(const std::string& name, const char* value) {
        if (!saved_.count(name)) {
            const char* old = std::getenv(name.c_str());
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value) {
            setenv(name.c_str(), value, 1);
        } else {
            unsetenv(name.c_str());
        }
    }

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

}  // namespace

TEST(HiveFiles, OverridesNameBothFiles) {
    Environment environment;
    environment.Set("VELMORA_USER_REGISTRY", "/tmp/u.db");
    environment.Set("VELMORA_MACHINE_REGISTRY", "/tmp/m.db");
    environment.Set("XDG_CONFIG_HOME", "/cfg");
    auto files = posix::HiveFiles::FromEnvironment();
    EXPECT_EQ(files.user, "/tmp/u.db");
    EXPECT_EQ(files.machine, "/tmp/m.db");
}

TEST(HiveFiles, WithoutOverridesTheUsersConfigDirectoryAndTheMachineFileAreUsed) {
    Environment environment;
    environment.Set("VELMORA_USER_REGISTRY", "");
    environment.Set("VELMORA_MACHINE_REGISTRY", nullptr);
    environment.Set("HOME", "/home/ann");

    environment.Set("XDG_CONFIG_HOME", "/cfg");
    EXPECT_EQ(posix::HiveFiles::FromEnvironment().user, "/cfg/velmora/user-registry.db");
    EXPECT_EQ(posix::HiveFiles::FromEnvironment().machine, "/var/lib/velmora/machine-registry.db");

    for (const char* ignored : {"", "relative/cfg"}) {
        environment.Set("XDG_CONFIG_HOME", ignored);
        EXPECT_EQ(posix::HiveFiles::FromEnvironment().user, "/home/ann/.config/velmora/user-registry.db") << ignored;
    }
}
