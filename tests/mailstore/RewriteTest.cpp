// A saved message is a new message file, as servers, readers and
// synchronisers sharing the Maildir expect: a fresh name with a true size and
// the flags of the moment, the old file's owner, mode and time, and the old
// name gone, also when another program renames or deletes the message
// meanwhile.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <regex>

#include "MailboxFixture.h"
#include "base/Utf16.h"
#include "host/HostError.h"
#include "mailstore/MailboxContext.h"
#include "mailstore/Maildir.h"
#include "mailstore/MessageFile.h"
#include "mailstore/MessageRewrite.h"
#include "mailstore/WorkFiles.h"

namespace mailstore_test {
namespace {

std::string PdfPart(std::string_view name, std::string_view bytes) {
    return Base64Part("application/pdf", bytes,
                      "Content-Disposition: attachment; filename=\"" + std::string(name) + "\"\n");
}

std::string TwoFiles(std::string_view subject) {
    return Mixed(subject, {TextPart("text\n"), PdfPart("a.pdf", "AAAA"), PdfPart("b.pdf", "BBBB")});
}

// Matches a name NewMessageName gives a message of these seconds and flags;
// group 1 is the size.
std::regex FreshName(std::string_view seconds, std::string_view flags) {
    return std::regex(std::string(seconds) + R"(\.M\d+P)" + std::to_string(getpid()) + R"(\.[^,:/]+,S=(\d+):2,)" +
                      std::string(flags));
}

struct stat StatOf(const fs::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) throw std::runtime_error("cannot stat " + file.string());
    return info;
}

class Rewriting : public MailboxTest {
protected:
    // Removes the first attachment and saves.
    void RemoveFirstAndSave(const fs::path& file) {
        auto mail = Mail(file);
        mail->Attachments()->Remove(1);
        mail->Save();
    }
};

TEST_F(Rewriting, ANewNameWithATrueSizeTheFlagsAndNothingElseOfTheOldName) {
    const auto delivered = Deliver("Inbox", "1700000000.M1P1.host,S=99999,W=100999,U=42:2,FRSa", TwoFiles("flagged"));
    const auto fresh = Deliver("Inbox", "1700000100.M2P2.host,U=43", TwoFiles("new"), "new");
    const auto undated = Deliver("Inbox", "undated:2,S", TwoFiles("undated"));
    const timespec times[2] = {{1600000000, 0}, {1600000000, 0}};
    for (const auto& file : {delivered, fresh, undated}) {
        ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
        ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    }
    const auto item = Open(delivered).As<Outlook::_MailItem>();
    const std::u16string identity = item->EntryID();
    const auto created = item->CreationTime();
    item->Attachments()->Remove(1);
    item->Save();
    RemoveFirstAndSave(fresh);
    RemoveFirstAndSave(undated);

    // The item keeps its identity and date, and follows its file.
    EXPECT_EQ(item->EntryID(), identity);
    EXPECT_EQ(identity, u"Inbox/1700000000.M1P1.host,S=99999,W=100999,U=42");
    EXPECT_EQ(item->CreationTime(), created);
    EXPECT_EQ(item->Attachments()->Count(), 1);
    EXPECT_EQ(item->Subject(), u"flagged");

    const auto files = FilesBelow(root / "Inbox");
    ASSERT_EQ(files.size(), 3u) << "old files left or work files in tmp/";
    const std::vector<std::pair<fs::path, std::regex>> expected = {
        {Current(delivered), FreshName("1700000000", "FRSa")},
        {Current(fresh), FreshName("1700000100", "")},
        // Without a date in its name, the file's time dates the message.
        {Current(undated), FreshName("1600000000", "S")},
    };
    for (const auto& [file, pattern] : expected) {
        std::smatch match;
        const std::string name = file.filename().string();
        ASSERT_TRUE(std::regex_match(name, match, pattern)) << name;
        EXPECT_EQ(file.parent_path().filename(), "cur") << name;
        const struct stat info = StatOf(file);
        EXPECT_EQ(std::stoull(match[1].str()), static_cast<unsigned long long>(info.st_size)) << name;
        EXPECT_EQ(info.st_mode & 07777, 0640u) << name;
        EXPECT_EQ(info.st_mtim.tv_sec, 1600000000) << name;
        EXPECT_EQ(Mail(file)->Attachments()->Count(), 1) << name;
    }
    EXPECT_EQ(ReadNative(Current(delivered)).find("AAAA"), std::string::npos);

    // A second save gives another new name again.
    const fs::path first = Current(delivered);
    item->Attachments()->Remove(1);
    item->Save();
    EXPECT_NE(Current(delivered), first);
    EXPECT_FALSE(fs::exists(first));
    EXPECT_EQ(Mail(Current(delivered))->Attachments()->Count(), 0);
    EXPECT_EQ(FilesBelow(root / "Inbox").size(), 3u);
}

TEST_F(Rewriting, AFolderListedBeforeASaveGivesTheSavedMessageWithItsIdentity) {
    const auto first = Deliver("Inbox", "1700000000.M1P1.host:2,S", TwoFiles("first"));
    Deliver("Inbox", "1700000001.M1P1.host:2,S", TwoFiles("second"));
    auto inbox = Box().FindFolder(u"Inbox");
    auto items = inbox->Items();
    for (int save = 0; save < 2; ++save) {
        auto mail = items->Item(1).As<Outlook::_MailItem>();
        ASSERT_TRUE(mail);
        mail->Attachments()->Remove(1);
        mail->Save();
    }
    auto again = inbox->Items()->Item(1).As<Outlook::_MailItem>();
    ASSERT_TRUE(again);
    EXPECT_EQ(again->Subject(), u"first");
    EXPECT_EQ(again->Attachments()->Count(), 0);
    // It is the same item: for a listing taken before the save and one taken after.
    EXPECT_EQ(again->EntryID(), u"Inbox/1700000000.M1P1.host");
    EXPECT_EQ(Box().FindFolder(u"Inbox")->Items()->Item(1).As<Outlook::_MailItem>()->EntryID(),
              u"Inbox/1700000000.M1P1.host");
    EXPECT_EQ(Mail(Current(first))->EntryID(), u"Inbox/1700000000.M1P1.host");
    // The name it had opens it too, while the mailbox is open.
    EXPECT_EQ(Mail(first)->Attachments()->Count(), 0);
    EXPECT_EQ(inbox->Items()->Item(2).As<Outlook::_MailItem>()->Attachments()->Count(), 2);
    EXPECT_TRUE(Box().TakeWarnings().empty());
}

TEST_F(Rewriting, FlagsChangedWhileTheMessageIsWrittenPassToTheNewFile) {
    const auto file = Deliver("Inbox", "1700000000.M1P1.host:2,S", TwoFiles("renamed"));
    const auto message = mailstore::ReadMessageFile(file);
    // A reader marks the message meanwhile: between the write and the swap.
    const fs::path replied = root / "Inbox" / "cur" / "1700000000.M1P1.host:2,RS";
    const auto rewritten = mailstore::RewriteMessageFile(file, message.get(), [&](const fs::path& written) {
        EXPECT_EQ(written.parent_path().filename(), "tmp");
        fs::rename(file, replied);
    });
    EXPECT_EQ(rewritten.removed, replied);
    EXPECT_TRUE(std::regex_match(rewritten.written.filename().string(), FreshName("1700000000", "RS")))
        << rewritten.written;
    EXPECT_EQ(FilesBelow(root / "Inbox"), std::vector<std::string>{"cur/" + rewritten.written.filename().string()});

    // Moved from new/ to cur/ by a reader before the save.
    const auto delivered = Deliver("Inbox", "1700000500.M3P3.host", TwoFiles("moved"), "new");
    auto mail = Mail(delivered);
    mail->Attachments()->Remove(1);
    fs::rename(delivered, root / "Inbox" / "cur" / "1700000500.M3P3.host:2,T");
    mail->Save();
    EXPECT_TRUE(std::regex_match(Current(root / "Inbox" / "cur" / "1700000500.M3P3.host:2,T").filename().string(),
                                 FreshName("1700000500", "T")));
    EXPECT_EQ(FilesBelow(root / "Inbox").size(), 2u);
}

TEST_F(Rewriting, AMessageDeletedByAnotherProgramStaysDeletedAndIsSkipped) {
    // Deleted between the write and the swap: nothing is placed.
    const auto file = Deliver("Inbox", "1700000000.M1P1.host:2,S", TwoFiles("deleted"));
    const auto message = mailstore::ReadMessageFile(file);
    try {
        mailstore::RewriteMessageFile(file, message.get(), [&](const fs::path&) { fs::remove(file); });
        ADD_FAILURE() << "the rewrite of a deleted message went through";
    } catch (const host::HostError& error) {
        EXPECT_EQ(error.Code(), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    }
    EXPECT_TRUE(FilesBelow(root / "Inbox").empty());

    // Deleted before the save: a warning, and the engine's "vanished" code.
    const auto second = Deliver("Inbox", "1700000001.M1P1.host:2,S", TwoFiles("deleted too"));
    auto mail = Mail(second);
    mail->Attachments()->Remove(1);
    fs::remove(second);
    try {
        mail->Save();
        ADD_FAILURE() << "the save of a deleted message went through";
    } catch (const host::HostError& error) {
        EXPECT_EQ(error.Code(), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    }
    EXPECT_EQ(Box().TakeWarnings(),
              std::vector<std::string>{"Skipping " + second.string() +
                                       ": another program deleted it before its changes were saved"});

    // Deleted before it was read: the item is no mail item, with a warning.
    const auto third = Deliver("Inbox", "1700000002.M1P1.host:2,S", TwoFiles("never read"));
    auto unread = Open(third);
    fs::remove(third);
    EXPECT_FALSE(unread.As<Outlook::_MailItem>());
    EXPECT_EQ(Box().TakeWarnings(),
              std::vector<std::string>{"Skipping " + third.string() + ": it is no longer in its folder"});

    // Deleted after its parse was let go (many items held): read again, it
    // fails with the same code.
    const auto fourth = Deliver("Inbox", "1700000003.M1P1.host:2,S", TwoFiles("let go"));
    auto held = Mail(fourth);
    std::vector<com::ComPtr<Outlook::_MailItem>> others;
    for (std::size_t i = 0; i <= mailstore::MailboxContext::kMaxParsedMessages; ++i) {
        others.push_back(Mail(Deliver("Other", std::to_string(1700000100 + i) + ".M1P1.host", TwoFiles("other"))));
    }
    fs::remove(fourth);
    try {
        held->Subject();
        ADD_FAILURE() << "a message whose file is gone was read";
    } catch (const host::HostError& error) {
        EXPECT_EQ(error.Code(), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    }
    EXPECT_EQ(Box().TakeWarnings(),
              std::vector<std::string>{"Skipping " + fourth.string() + ": it is no longer in its folder"});
    EXPECT_TRUE(FilesBelow(root / "Inbox").empty());
    EXPECT_TRUE(Box().TakeNotes().empty());
}

TEST_F(Rewriting, EachRewriteIsNotedWithItsOldAndNewName) {
    const auto file = Deliver("Work", "1700000000.M1P1.host:2,S", TwoFiles("noted"));
    RemoveFirstAndSave(file);
    const auto notes = Box().TakeNotes();
    ASSERT_EQ(notes.size(), 1u);
    const std::string prefix = "Rewrote Work/cur/1700000000.M1P1.host:2,S as Work/cur/";
    EXPECT_EQ(notes[0].substr(0, prefix.size()), prefix);
    EXPECT_TRUE(fs::exists(root / notes[0].substr(notes[0].find(" as ") + 4)));
}

// What writers that died left in tmp/ goes when the folder is listed or
// written next; what other programs and running writers have there stays.
TEST_F(Rewriting, WorkFilesOfWritersThatDiedAreCleanedUp) {
    const fs::path folder = Folder("Inbox");
    const auto replaced = Deliver("Inbox", "1700000000.M1P1.host:2,S", TwoFiles("replaced"));
    const auto untouched = Deliver("Inbox", "1700000001.M1P1.host:2,S", TwoFiles("untouched"));
    // A writer dies after giving the new message its name, before removing
    // the old one; another dies while writing.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const fs::path work =
            mailstore::maildir::NewWorkFile(folder, mailstore::maildir::UniqueName(replaced.filename().string()));
        const std::string text = Message("Subject: replacement\n", "slim\n");
        std::ofstream(work, std::ios::binary) << text;
        const fs::path placed = folder / "cur" / mailstore::maildir::NewMessageName(1700000000, text.size(), "S");
        const bool linked = ::link(work.c_str(), placed.c_str()) == 0;
        std::ofstream(mailstore::maildir::NewWorkFile(folder, "")) << "half a message";
        std::_Exit(linked ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_EQ(FilesBelow(folder / "tmp").size(), 2u);
    ASSERT_EQ(FilesBelow(folder / "cur").size(), 3u);

    const std::string host = mailstore::maildir::HostNamePart();
    const std::string now = std::to_string(::time(nullptr));
    const std::vector<std::string> kept = {
        "1700000002.M1P1.host",                                                 // another program's delivery
        "velmora-tmp." + now + ".M1P1.R-." + host,                              // a writer that still runs
        "velmora-tmp." + now + ".M1P" + std::to_string(getpid()) + ".R-." + host,  // this process
        "velmora-tmp." + now + ".M1P" + std::to_string(child) + ".R-.elsewhere",   // another machine's, recent
        "velmora-tmp." + now + ".M1P" + std::to_string(child) + ".Rshort." + host,  // not a work file's name
    };
    const std::vector<std::string> removed = {
        "velmora-tmp.1600000000.M1P1.R-.elsewhere",  // another machine's, old
        "velmora-tmp." + std::to_string(::time(nullptr) - 37 * 3600) + ".M1P1.R-." + host,
    };
    for (const auto& names : {kept, removed}) {
        for (const auto& name : names) std::ofstream(folder / "tmp" / name) << "x";
    }

    EXPECT_EQ(Box().FindFolder(u"Inbox")->Items()->Count(), 2);
    std::vector<std::string> left;
    for (const auto& name : kept) left.push_back(name);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(FilesBelow(folder / "tmp"), left);
    std::vector<std::u16string> subjects;
    for (const auto& name : FilesBelow(folder / "cur")) subjects.push_back(Mail(folder / "cur" / name)->Subject());
    std::sort(subjects.begin(), subjects.end());
    EXPECT_EQ(subjects, (std::vector<std::u16string>{u"replacement", u"untouched"}));
    EXPECT_TRUE(fs::exists(untouched));
}

// Run as root over a user's mailbox, a rewrite keeps the user's ownership;
// run as another user who may not give files away, it refuses.
TEST_F(Rewriting, TheOwnerIsKeptOrTheMessageLeftAsItWas) {
    if (::geteuid() != 0) GTEST_SKIP() << "giving files to another user needs root";
    constexpr uid_t kOwner = 4321;
    constexpr gid_t kGroup = 4322;
    constexpr uid_t kStranger = 4399;
    const auto file = Deliver("Inbox", "1700000000.M1P1.host:2,S", TwoFiles("owned"));
    fs::remove(root / "Inbox" / "tmp");
    for (const auto& path : {root / "Inbox", root / "Inbox" / "cur", root / "Inbox" / "new", file}) {
        ASSERT_EQ(::chown(path.c_str(), kOwner, kGroup), 0) << path;
    }
    RemoveFirstAndSave(file);
    const struct stat info = StatOf(Current(file));
    EXPECT_EQ(info.st_uid, kOwner);
    EXPECT_EQ(info.st_gid, kGroup);
    // The tmp/ made on the way is the user's too.
    EXPECT_EQ(StatOf(root / "Inbox" / "tmp").st_uid, kOwner);

    // Another user with every right to the directories but none to give the
    // file to its owner.
    const fs::path owned = Current(file);
    for (const auto& path : {platform.Root(), root, root / "Inbox", root / "Inbox" / "cur", root / "Inbox" / "tmp"}) {
        ASSERT_EQ(::chmod(path.c_str(), 0777), 0) << path;
    }
    ASSERT_EQ(::chmod(owned.c_str(), 0644), 0);
    const std::string before = ReadNative(owned);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int status = 1;
        if (::setgid(kStranger) == 0 && ::setuid(kStranger) == 0) {
            try {
                RemoveFirstAndSave(owned);
                status = 2;
            } catch (const host::HostError& error) {
                status = error.Code() == HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED) ? 0 : 3;
            }
        }
        std::_Exit(status);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    EXPECT_EQ(ReadNative(owned), before);
    EXPECT_EQ(FilesBelow(root / "Inbox"), std::vector<std::string>{"cur/" + owned.filename().string()});
}

// Saves held back for a batch change nothing on disk until they are
// committed; then every message has its new file and nothing else, but the
// one another program deleted meanwhile, which stays deleted with a warning.
TEST_F(Rewriting, HeldSavesChangeNothingUntilCommittedThenAllAtOnce) {
    const auto first = Deliver("Inbox", "1700000001.M1P1.host:2,S", TwoFiles("first"));
    const auto second = Deliver("Inbox", "1700000002.M2P1.host:2,S", TwoFiles("second"));
    const auto deleted = Deliver("Inbox", "1700000003.M3P1.host:2,S", TwoFiles("deleted"));
    Box().TakeWarnings();
    auto session = Box().Application()->GetNamespace(u"MAPI");
    session->HoldSaves();
    for (const auto& file : {first, second, deleted}) RemoveFirstAndSave(file);
    EXPECT_EQ(FilesBelow(root / "Inbox" / "cur").size(), 3u);
    for (const auto& file : {first, second, deleted}) EXPECT_TRUE(fs::exists(file)) << file;

    fs::remove(deleted);
    session->CommitSaves();
    const auto now = FilesBelow(root / "Inbox" / "cur");
    ASSERT_EQ(now.size(), 2u);
    for (const auto& file : {first, second}) {
        EXPECT_FALSE(fs::exists(file)) << file;
        EXPECT_EQ(Mail(Current(file))->Attachments()->Count(), 1);
    }
    EXPECT_TRUE(FilesBelow(root / "Inbox" / "tmp").empty());
    const auto warnings = Box().TakeWarnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("1700000003.M3P1.host"), std::string::npos) << warnings[0];
}

}  // namespace
}  // namespace mailstore_test
