// A stored settings hive that cannot be read stops the program before it
// touches a message: its defaults (remove, the default directory) must not
// stand in for what the user stored.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "ProgramEnvironment.h"
#include "posix/registry/SqliteConnection.h"

namespace cli_tests {
namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class SettingsHive : public testing::Test {
protected:
    SettingsHive() : mailbox_(environment_.GenerateMailbox("mail", 25, 0.5)) {}

    void Install() {
        const Finished installed = environment_.Velmora({"install"});
        ASSERT_EQ(installed.exitStatus, 0) << installed.err;
    }

    // Stores: save to att3, nothing removed, as the user wants from now on.
    void StoreSettings() {
        const Finished stored = environment_.Velmora({"save", "--mailbox", mailbox_.string(), "--folder", "contacts",
                                                      "--to", Att3().string(), "--no-remove", "--store-settings"});
        ASSERT_EQ(stored.exitStatus, 0) << stored.err;
    }

    Finished PlainSave() const { return environment_.Velmora({"save", "--mailbox", mailbox_.string()}); }
    fs::path Att3() const { return environment_.Dir() / "att3"; }
    fs::path MachineHive() const { return environment_.Dir() / "registry" / "machine.db"; }

    static void Garble(const fs::path& file) {
        std::ofstream(file, std::ios::binary | std::ios::trunc) << std::string(4096, '\x17');
    }

    ProgramEnvironment environment_;
    fs::path mailbox_;
};

TEST_F(SettingsHive, AUserHiveThatCannotBeReadIsAnErrorThatNamesItAndSaysHowToRepairIt) {
    Install();
    StoreSettings();
    const MailboxContents before = ReadMailbox(mailbox_);
    const std::vector<std::pair<std::string, std::function<void(const fs::path&)>>> damages = {
        {"garbage", Garble},
        {"a directory",
         [](const fs::path& hive) {
             fs::remove(hive);
             fs::create_directory(hive);
         }},
        {"another program's database",
         [](const fs::path& hive) {
             fs::remove_all(hive);
             posix::SqliteConnection(hive, posix::OpenMode::ReadWriteCreate).Execute("CREATE TABLE t(x)");
         }},
    };
    for (const auto& [damage, apply] : damages) {
        SCOPED_TRACE(damage);
        apply(environment_.UserHive());
        const Finished run = PlainSave();
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_TRUE(Contains(run.err, "velmora: The user's registry hive " + environment_.UserHive().string() +
                                          " cannot be read (")) << run.err;
        EXPECT_TRUE(Contains(run.err, "Restore it from a backup, or move it aside to start again with the default "
                                      "settings.")) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(CountFiles(environment_.Dir() / "drives"), 0u) << "a run wrote to the default directory";
    const MailboxContents after = ReadMailbox(mailbox_);
    for (const auto& [key, message] : before) {
        EXPECT_EQ(after.at(key).byValue, message.byValue) << key;
        EXPECT_EQ(after.at(key).links, message.links) << key;
    }

    // Moved aside as the message says, the hive is gone and the next run is a first one.
    fs::remove_all(environment_.UserHive());
    EXPECT_EQ(environment_.Velmora({"save", "--mailbox", mailbox_.string(), "--folder", "contacts", "--to",
                                    Att3().string(), "--no-remove"})
                  .exitStatus,
              0);
}

TEST_F(SettingsHive, AMachineHiveThatCannotBeReadIsNamedNotTakenForAMissingRegistration) {
    Install();
    StoreSettings();
    Garble(MachineHive());
    const Finished run = PlainSave();
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_TRUE(Contains(run.err, "velmora: The machine's registry hive " + MachineHive().string() +
                                      " cannot be read (")) << run.err;
    EXPECT_FALSE(Contains(run.err, "not registered")) << run.err;
    EXPECT_FALSE(Contains(run.err, "has no value")) << run.err;
    EXPECT_FALSE(fs::exists(Att3() / "Projects")) << "the run went on";
}

}  // namespace
}  // namespace cli_tests
