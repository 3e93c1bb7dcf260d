// Hive files that are there but cannot be read: every read throws and names
// the hive, no write touches them; a hive of 0 bytes is a new one.
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>

#include "RegistryFixture.h"
#include "base/Utf16.h"
#include "host/HostError.h"
#include "posix/registry/SqliteConnection.h"

using host::RegistryRoot;
using host::RegistryValue;
namespace fs = std::filesystem;

namespace {

constexpr auto HKCU = RegistryRoot::CurrentUser;
constexpr auto HKLM = RegistryRoot::LocalMachine;
constexpr auto HKCR = RegistryRoot::ClassesRoot;
constexpr std::u16string_view kSettings = u"Software\\Ondrel\\Velmora";

// The message of the HostError that every kind of read throws; all must agree.
std::string ReadFailure(host::Registry& registry, RegistryRoot root) {
    const std::vector<std::function<void()>> reads = {
        [&] { registry.KeyExists(root, kSettings); },
        [&] { registry.SubKeyNames(root, u"Software"); },
        [&] { registry.ValueNames(root, kSettings); },
        [&] { registry.QueryValue(root, kSettings, u"LastToDir"); },
    };
    std::string message;
    for (const auto& read : reads) {
        try {
            read();
            ADD_FAILURE() << "a read of an unreadable hive did not throw";
        } catch (const host::HostError& error) {
            EXPECT_TRUE(message.empty() || message == error.what()) << error.what();
            message = error.what();
        }
    }
    return message;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class UnreadableHive : public RegistryTest {
protected:
    void SetUp() override {
        ASSERT_EQ(registry.CreateKey(HKCU, kSettings), ERROR_SUCCESS);
        ASSERT_EQ(registry.SetValue(HKCU, kSettings, u"LastToDir", RegistryValue::OfString(u"D:\\att3")),
                  ERROR_SUCCESS);
        ASSERT_EQ(registry.CreateKey(HKLM, u"SOFTWARE\\Clients"), ERROR_SUCCESS);
    }

    void Garble(const fs::path& file) {
        std::ofstream(file, std::ios::binary | std::ios::trunc) << std::string(8192, 'x');
    }
};

}  // namespace

TEST_F(UnreadableHive, GarbageIsNamedWithItsRepairAndNeverRewritten) {
    Garble(files.user);
    const std::string message = ReadFailure(registry, HKCU);
    EXPECT_TRUE(Contains(message, "The user's registry hive " + files.user.string() + " cannot be read (")) << message;
    EXPECT_TRUE(Contains(message, "not a database")) << message;
    EXPECT_TRUE(Contains(message, "move it aside to start again with the default settings")) << message;
    EXPECT_EQ(registry.CreateKey(HKCU, kSettings), posix::ERROR_REGISTRY_CORRUPT);
    EXPECT_EQ(registry.SetValue(HKCU, kSettings, u"x", RegistryValue::OfDword(1)), posix::ERROR_REGISTRY_CORRUPT);
    EXPECT_EQ(fs::file_size(files.user), 8192u);

    // The machine's hive is another file, read as before.
    EXPECT_TRUE(registry.KeyExists(HKLM, u"SOFTWARE\\Clients"));
}

TEST_F(UnreadableHive, TheMachinesHiveIsNamedAsSuch) {
    Garble(files.machine);
    for (const RegistryRoot root : {HKLM, HKCR}) {
        const std::string message = ReadFailure(registry, root);
        EXPECT_TRUE(Contains(message, "The machine's registry hive " + files.machine.string())) << message;
        EXPECT_TRUE(Contains(message, "register the MAPI provider and the add-in again")) << message;
    }
    EXPECT_EQ(registry.QueryValue(HKCU, kSettings, u"LastToDir"), RegistryValue::OfString(u"D:\\att3"));
}

TEST_F(UnreadableHive, ADirectoryOrADatabaseOfSomethingElseIsNoHive) {
    fs::remove(files.user);
    fs::create_directory(files.user);
    EXPECT_TRUE(Contains(ReadFailure(registry, HKCU), "(it is a directory)"));
    EXPECT_EQ(registry.CreateKey(HKCU, kSettings), ERROR_ACCESS_DENIED);

    fs::remove(files.user);
    {
        posix::SqliteConnection other(files.user, posix::OpenMode::ReadWriteCreate);
        other.Execute("CREATE TABLE contacts(name TEXT)");
    }
    EXPECT_TRUE(Contains(ReadFailure(registry, HKCU), "(it holds a database of something else)"));
    EXPECT_EQ(registry.CreateKey(HKCU, kSettings), posix::ERROR_REGISTRY_CORRUPT);
    posix::SqliteConnection other(files.user, posix::OpenMode::ReadOnly);
    auto tables = other.Prepare("SELECT count(*) FROM sqlite_master");
    ASSERT_TRUE(tables.Step());
    EXPECT_EQ(tables.Integer(0), 1) << "the registry's tables were added to another program's database";
}

TEST_F(UnreadableHive, AFileThisUserMayNotReadIsNamedWithTheSystemsReason) {
    fs::permissions(files.user, fs::perms::none);
    // Root reads any file: the read is made by an unprivileged child then.
    fs::permissions(temp.Path(), fs::perms(0755));
    fs::permissions(files.user.parent_path(), fs::perms(0755));
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(2);
        try {
            registry.QueryValue(HKCU, kSettings, u"LastToDir");
        } catch (const host::HostError& error) {
            const std::string message = error.what();
            _exit(Contains(message, files.user.string()) && Contains(message, "Permission denied") ? 0 : 3);
        }
        _exit(4);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "2: could not drop privileges, 3: wrong message, 4: no error";
}

TEST_F(RegistryTest, AHiveOfZeroBytesIsANewHive) {
    // SQLite takes an empty file for a new database, and so does the first write.
    fs::create_directories(files.user.parent_path());
    std::ofstream(files.user, std::ios::binary).close();
    EXPECT_FALSE(registry.KeyExists(HKCU, kSettings));
    EXPECT_FALSE(registry.QueryValue(HKCU, kSettings, u"LastToDir"));
    EXPECT_TRUE(registry.SubKeyNames(HKCU, u"").empty());
    ASSERT_EQ(registry.CreateKey(HKCU, kSettings), ERROR_SUCCESS);
    ASSERT_EQ(registry.SetValue(HKCU, kSettings, u"LastToDir", RegistryValue::OfString(u"D:\\")), ERROR_SUCCESS);
    EXPECT_EQ(registry.QueryValue(HKCU, kSettings, u"LastToDir"), RegistryValue::OfString(u"D:\\"));
}
