// The program against mail from strangers and against itself: crafted link
// parts read and delete nothing, shared and overwritten files lose nothing,
// and two runs at once over one mailbox lose nothing either.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "ProgramEnvironment.h"

namespace cli_tests {
namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFile(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

// A Maildir folder (the mailbox root is one too).
fs::path MakeFolder(const fs::path& directory) {
    for (const char* sub : {"cur", "new", "tmp"}) fs::create_directories(directory / sub);
    return directory;
}

// A message with one attachment per name, each base64-encoded.
std::string MessageWith(const std::string& subject, const std::map<std::string, std::string>& attachments) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text = "From: someone@example.com\nTo: me@example.com\nSubject: " + subject +
                       "\nMessage-ID: <" + subject + "@example.com>\nMIME-Version: 1.0\n"
                       "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Type: text/plain\n\nHello\n";
    for (const auto& [name, bytes] : attachments) {
        text += "--b\nContent-Type: application/octet-stream; name=\"" + name +
                "\"\nContent-Disposition: attachment; filename=\"" + name + "\"\nContent-Transfer-Encoding: base64\n\n";
        std::string encoded;
        for (std::size_t i = 0; i < bytes.size(); i += 3) {
            const std::uint32_t chunk = (static_cast<unsigned char>(bytes[i]) << 16) |
                                        (i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) << 8 : 0) |
                                        (i + 2 < bytes.size() ? static_cast<unsigned char>(bytes[i + 2]) : 0);
            encoded += kAlphabet[(chunk >> 18) & 63];
            encoded += kAlphabet[(chunk >> 12) & 63];
            encoded += i + 1 < bytes.size() ? kAlphabet[(chunk >> 6) & 63] : '=';
            encoded += i + 2 < bytes.size() ? kAlphabet[chunk & 63] : '=';
            if (encoded.size() % 76 == 0) encoded += '\n';
        }
        text += encoded + "\n";
    }
    return text + "--b--\n";
}

// A message from a stranger whose link parts name these paths.
std::string MessageLinkingTo(const std::vector<std::string>& paths) {
    std::string text = "From: stranger@example.com\nTo: me@example.com\nSubject: Links\nMessage-ID: <links@x>\n"
                       "MIME-Version: 1.0\nContent-Type: multipart/mixed; boundary=\"b\"\n\n"
                       "--b\nContent-Type: text/plain\n\nSee the files.\n";
    for (const auto& path : paths) {
        text += "--b\nContent-Type: message/external-body; access-type=local-file; name=\"" + path +
                "\"\nContent-Disposition: attachment; filename=\"file.pdf\"\n\nContent-Type: application/pdf\n\n";
    }
    return text + "--b--\n";
}

void Deliver(const fs::path& folder, const std::string& name, const std::string& message) {
    WriteFile(folder / "cur" / (name + ":2,S"), message);
}

// Every file below a directory with its bytes, but the program's own
// (registry, catalog, locks) and the mailbox's lock file.
std::map<fs::path, std::string> Snapshot(const fs::path& directory) {
    std::map<fs::path, std::string> files;
    for (auto entry = fs::recursive_directory_iterator(directory); entry != fs::recursive_directory_iterator(); ++entry) {
        if (entry->path().filename() == "registry") {
            entry.disable_recursion_pending();
            continue;
        }
        std::error_code error;
        if (entry->is_regular_file(error) && entry->path().filename() != ".velmora.lock") {
            files[entry->path()] = ReadFile(entry->path());
        }
    }
    return files;
}

class HostileLinks : public testing::Test {
protected:
    void SetUp() override {
        const Finished installed = environment_.Velmora({"install"});
        ASSERT_EQ(installed.exitStatus, 0) << installed.err;
    }

    Finished Velmora(std::vector<std::string> arguments) { return environment_.Velmora(std::move(arguments)); }
    fs::path Dir() const { return environment_.Dir(); }

    ProgramEnvironment environment_;
};

TEST_F(HostileLinks, ACraftedLinkReadsAndDeletesNothing) {
    const fs::path mailbox = MakeFolder(Dir() / "mail");
    const fs::path secrets = Dir() / "secrets";
    WriteFile(secrets / "id_key", "private key");
    ASSERT_EQ(mkfifo((secrets / "fifo").c_str(), 0600), 0);
    fs::create_symlink(secrets / "id_key", secrets / "link");
    Deliver(MakeFolder(mailbox / "Inbox"), "1700000000.M1P1.host",
            MessageLinkingTo({(secrets / "id_key").string(), "/proc/self/environ", "/dev/zero",
                              (secrets / "fifo").string(), (secrets / "link").string()}));
    const auto before = Snapshot(Dir());

    for (const auto& run : std::vector<std::vector<std::string>>{
             {"reintroduce", "--mailbox", mailbox.string(), "--delete-files"},
             {"reroot", "--mailbox", mailbox.string(), "--old-root", "/", "--new-root", (Dir() / "moved").string()}}) {
        const Finished finished = Velmora(run);
        ASSERT_EQ(finished.exitStatus, 0) << finished.err;
        EXPECT_EQ(Occurrences(finished.out, "not made by Velmora"), 5u) << finished.out;
    }
    fs::remove(Dir() / "moved");
    EXPECT_EQ(Snapshot(Dir()), before);
}

TEST_F(HostileLinks, ReRootFollowsNoWindowsFormClimbOutOfTheRoot) {
    const fs::path mailbox = MakeFolder(Dir() / "mail");
    WriteFile(Dir() / "secret" / "victim", "victim");
    fs::create_directories(Dir() / "att");
    const std::string climbing = "Z:" + (Dir() / "att").string() + "\\..\\secret\\victim";
    std::string windowsForm = climbing;
    for (auto& c : windowsForm) c = c == '/' ? '\\' : c;
    Deliver(MakeFolder(mailbox / "Inbox"), "1700000000.M1P1.host", MessageLinkingTo({windowsForm}));
    const auto before = Snapshot(Dir());

    const Finished reroot = Velmora({"reroot", "--mailbox", mailbox.string(), "--old-root", (Dir() / "att").string(),
                                     "--new-root", (Dir() / "new").string()});
    ASSERT_EQ(reroot.exitStatus, 0) << reroot.err;
    EXPECT_TRUE(Contains(reroot.out, "not made by Velmora")) << reroot.out;
    fs::remove(Dir() / "new");
    EXPECT_EQ(Snapshot(Dir()), before);
}

TEST_F(HostileLinks, AFileSharedByTwoFoldersStaysUntilNoLinkNamesIt) {
    const fs::path mailbox = MakeFolder(Dir() / "mail");
    const std::string message = MessageWith("shared", {{"scan.pdf", std::string(30000, 's')}});
    Deliver(MakeFolder(mailbox / "Inbox"), "1700000000.M1P1.host", message);
    Deliver(MakeFolder(mailbox / "Archive"), "1700000000.M1P1.host", message);
    const fs::path saved = Dir() / "saved";
    const auto before = ReadMailbox(mailbox);

    ASSERT_EQ(Velmora({"save", "--mailbox", mailbox.string(), "--to", saved.string(), "--remove", "--replace", "link",
                       "--min-size", "0", "--no-folder-dirs"})
                  .exitStatus,
              0);
    ASSERT_EQ(CountFiles(saved), 1u);

    ASSERT_EQ(Velmora({"reintroduce", "--mailbox", mailbox.string(), "--folder", "Inbox", "--delete-files"}).exitStatus, 0);
    EXPECT_EQ(CountFiles(saved), 1u) << "the file Archive's link names is gone";
    ASSERT_EQ(Velmora({"reintroduce", "--mailbox", mailbox.string(), "--folder", "Archive", "--delete-files"}).exitStatus,
              0);
    EXPECT_EQ(CountFiles(saved), 0u);
    const auto after = ReadMailbox(mailbox);
    for (const auto& [key, message] : before) {
        EXPECT_EQ(after.at(key).contents, message.contents) << key;
        EXPECT_EQ(after.at(key).byValue, 1) << key;
    }
}

TEST_F(HostileLinks, OverwriteKeepsAnotherMessagesSavedFile) {
    const fs::path mailbox = MakeFolder(Dir() / "mail");
    const fs::path inbox = MakeFolder(mailbox / "Inbox");
    Deliver(inbox, "1700000000.M1P1.host", MessageWith("first", {{"report.pdf", std::string(5000, '1')}}));
    Deliver(inbox, "1700000001.M2P1.host", MessageWith("second", {{"report.pdf", std::string(5000, '2')}}));
    const auto before = ContentsById(mailbox);

    const Finished save = Velmora({"save", "--mailbox", mailbox.string(), "--to", (Dir() / "saved").string(),
                                   "--remove", "--replace", "link", "--min-size", "0", "--if-exists", "overwrite",
                                   "--no-folder-dirs"});
    ASSERT_EQ(save.exitStatus, 0) << save.err;
    EXPECT_TRUE(Contains(save.out, "holds the saved attachment of another message")) << save.out;
    EXPECT_EQ(CountFiles(Dir() / "saved"), 2u);
    EXPECT_EQ(ContentsById(mailbox), before);
}

// Two runs over one mailbox: the second waits for the first, and between
// them every message keeps every attachment, by value or through its link.
TEST_F(HostileLinks, TwoRunsAtOnceLoseNothing) {
    const fs::path mailbox = MakeFolder(Dir() / "mail");
    const fs::path inbox = MakeFolder(mailbox / "Inbox");
    for (int i = 0; i < 60; ++i) {
        const std::string unique = std::to_string(1700000000 + i) + ".M" + std::to_string(i) + "P1.host";
        Deliver(inbox, unique, MessageWith("message " + std::to_string(i), {{"report.pdf", std::string(3000 + i, 'a' + i % 26)}}));
    }
    const auto before = ContentsById(mailbox);
    const fs::path original = Dir() / "original";
    fs::copy(mailbox, original, fs::copy_options::recursive);

    for (int round = 0; round < 20; ++round) {
        fs::remove_all(mailbox);
        fs::remove_all(Dir() / "saved");
        fs::copy(original, mailbox, fs::copy_options::recursive);
        const std::vector<std::string> save = environment_.VelmoraCommand(
            {"save", "--mailbox", mailbox.string(), "--to", (Dir() / "saved").string(), "--remove", "--replace",
             "link", "--min-size", "0", "--no-folder-dirs"});
        ChildProcess first(save);
        ChildProcess second(save);
        const Finished one = first.Wait();
        const Finished two = second.Wait();
        ASSERT_EQ(one.exitStatus, 0) << one.err;
        ASSERT_EQ(two.exitStatus, 0) << two.err;
        ASSERT_EQ(ContentsById(mailbox), before) << "round " << round;
        ASSERT_EQ(CountFiles(Dir() / "saved"), 60u) << "round " << round;
    }
}

// Links an earlier version made are followed only once the user adopts
// them; the catalog's check tells a saved file that changed.
TEST_F(HostileLinks, OldLinksAreAdoptedOnRequestAndTheCatalogCheckTellsChangedFiles) {
    const fs::path earlier = Dir() / "earlier";
    const fs::path mailbox = environment_.GenerateMailbox("mail", 25, 0.5, earlier);
    const auto before = ContentsById(mailbox);
    const Finished refused = Velmora({"reintroduce", "--mailbox", mailbox.string()});
    ASSERT_EQ(refused.exitStatus, 0) << refused.err;
    EXPECT_TRUE(Contains(refused.out, "not made by Velmora")) << refused.out;
    EXPECT_EQ(ContentsById(mailbox), before);

    const Finished adopted = Velmora({"catalog", "adopt", "--mailbox", mailbox.string(), "--root", earlier.string()});
    ASSERT_EQ(adopted.exitStatus, 0) << adopted.err;
    const std::size_t links = Occurrences(adopted.out, "Attachment link adopted");
    EXPECT_GT(links, 0u) << adopted.out;
    const Finished listed = Velmora({"catalog", "list"});
    EXPECT_EQ(Occurrences(listed.out, "  link  "), links) << listed.out;
    EXPECT_EQ(Velmora({"catalog", "check"}).exitStatus, 0);

    fs::path linked;
    for (const auto& entry : fs::recursive_directory_iterator(earlier)) {
        if (entry.is_regular_file() && linked.empty()) linked = entry.path();
    }
    ASSERT_FALSE(linked.empty());
    const std::string bytes = ReadFile(linked);
    WriteFile(linked, bytes + "changed");
    const Finished check = Velmora({"catalog", "check"});
    EXPECT_EQ(check.exitStatus, 1);
    EXPECT_TRUE(Contains(check.out, "changed: " + linked.string())) << check.out;
    WriteFile(linked, bytes);

    const Finished reintroduce = Velmora({"reintroduce", "--mailbox", mailbox.string()});
    ASSERT_EQ(reintroduce.exitStatus, 0) << reintroduce.err;
    EXPECT_EQ(Occurrences(reintroduce.out, "Attachments reintroduced"), links) << reintroduce.out;
    EXPECT_EQ(ContentsById(mailbox), before);
}

TEST_F(HostileLinks, WithoutWaitARunThatFindsTheMailboxLockedFailsAndSaysWhy) {
    const fs::path mailbox = MakeFolder(Dir() / "mail");
    Deliver(MakeFolder(mailbox / "Inbox"), "1700000000.M1P1.host", MessageWith("m", {{"a.bin", "AAAA"}}));
    // Another run holds the mailbox.
    const int lock = ::open((mailbox / ".velmora.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);
    const Finished save = Velmora({"save", "--mailbox", mailbox.string(), "--to", (Dir() / "saved").string(),
                                   "--remove", "--min-size", "0", "--no-wait"});
    ::close(lock);
    EXPECT_EQ(save.exitStatus, 1);
    EXPECT_TRUE(Contains(save.err, "Another run of Velmora is working on")) << save.err;
    EXPECT_EQ(CountFiles(Dir() / "saved"), 0u);
}

}  // namespace
}  // namespace cli_tests
