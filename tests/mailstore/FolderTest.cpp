// The mailbox as folders and items: what is a folder, in which order, and
// which files are messages of the mailbox.
#include <fstream>

#include "MailboxFixture.h"
#include "host/HostError.h"

namespace mailstore_test {
namespace {

std::vector<std::u16string> SubFolderNames(Outlook::MAPIFolder& folder) {
    std::vector<std::u16string> names;
    auto folders = folder.Folders();
    for (std::int32_t i = 1; i <= folders->Count(); ++i) names.push_back(folders->Item(i)->Name());
    return names;
}

std::vector<std::u16string> Subjects(Outlook::MAPIFolder& folder) {
    std::vector<std::u16string> subjects;
    auto items = folder.Items();
    for (std::int32_t i = 1; i <= items->Count(); ++i) {
        subjects.push_back(items->Item(i).As<Outlook::_MailItem>()->Subject());
    }
    return subjects;
}

std::string Note(std::string_view subject) { return Message("Subject: " + std::string(subject) + "\n", "hi\n"); }

class Folders : public MailboxTest {};

TEST_F(Folders, TreeOfMaildirsSortedByNameWithTheRootAboveAll) {
    Folder("Work");
    Folder("Archive/2023");
    Folder("archive2");
    fs::create_directories(root / "Unrelated" / "docs");  // holds no Maildir anywhere
    // Hidden directories that are no Maildir++ folders, and what they hold.
    fs::create_directories(root / ".hidden" / "inner" / "cur");
    fs::create_directories(root / ".hidden" / "inner" / "new");
    fs::create_directories(root / "Intermediate" / "Leaf" / "cur");
    fs::create_directories(root / "Intermediate" / "Leaf" / "new");

    auto top = Box().RootFolder();
    EXPECT_EQ(top->Name(), u"Mailbox");
    EXPECT_FALSE(top->Parent().As<Outlook::MAPIFolder>());
    EXPECT_TRUE(top->Parent());
    EXPECT_EQ(SubFolderNames(*top), (std::vector<std::u16string>{u"Archive", u"Intermediate", u"Work", u"archive2"}));

    auto archive = top->Folders()->Item(1);
    EXPECT_EQ(SubFolderNames(*archive), std::vector<std::u16string>{u"2023"});
    auto year = archive->Folders()->Item(1);
    EXPECT_EQ(year->Parent().As<Outlook::MAPIFolder>()->Name(), u"Archive");
    // A folder that is only there to hold others has no items.
    EXPECT_EQ(top->Folders()->Item(2)->Items()->Count(), 0);
    EXPECT_THROW(top->Folders()->Item(5), host::HostError);
    EXPECT_THROW(top->Folders()->Item(0), host::HostError);
}

TEST_F(Folders, FindFolderMatchesEachNameWithoutRegardToCase) {
    Folder("Archive/2023");
    EXPECT_EQ(Box().FindFolder(u"archive/2023")->Name(), u"2023");
    EXPECT_EQ(Box().FindFolder(u"/ARCHIVE/")->Name(), u"Archive");
    EXPECT_EQ(Box().FindFolder(u"")->Name(), u"Mailbox");
    EXPECT_FALSE(Box().FindFolder(u"Archive/2024"));
    EXPECT_FALSE(Box().FindFolder(u"cur"));
}

TEST_F(Folders, ItemsAreTheFilesOfCurAndNewSortedByFileName) {
    Deliver("Inbox", "1700000300.M1P1.host:2,S", Note("third"));
    Deliver("Inbox", "1700000100.M1P1.host", Note("first"), "new");
    Deliver("Inbox", "1700000200.M1P1.host:2,", Note("second"));
    Deliver("Inbox", ".1700000000.hidden", Note("hidden"));
    Folder("Inbox");
    std::ofstream(root / "Inbox" / "tmp" / "1700000400.M1P1.host") << Note("being delivered");

    auto inbox = Box().FindFolder(u"Inbox");
    EXPECT_EQ(Subjects(*inbox), (std::vector<std::u16string>{u"first", u"second", u"third"}));
    auto item = inbox->Items()->Item(1).As<Outlook::_MailItem>();
    EXPECT_EQ(item->Parent().As<Outlook::MAPIFolder>()->Name(), u"Inbox");
    EXPECT_THROW(inbox->Items()->Item(4), host::HostError);
}

TEST_F(Folders, OpenMessageTakesOnlyMessageFilesOfTheMailbox) {
    const auto inInbox = Deliver("Inbox", "1700000000.M1P1.host:2,S", Note("in inbox"));
    const auto inRoot = Deliver("", "1700000001.M1P1.host", Note("in root"), "new");
    const auto elsewhere = platform.Root() / "elsewhere" / "cur" / "x";
    fs::create_directories(elsewhere.parent_path());
    std::ofstream(elsewhere) << Note("outside");
    std::ofstream(root / "Inbox" / "tmp" / "y") << Note("in tmp");

    EXPECT_EQ(Mail(inInbox)->Subject(), u"in inbox");
    EXPECT_EQ(Mail(inInbox)->Parent().As<Outlook::MAPIFolder>()->Name(), u"Inbox");
    EXPECT_EQ(Mail(root / "Inbox" / ".." / "Inbox" / "cur" / inInbox.filename())->Subject(), u"in inbox");
    EXPECT_EQ(Mail(inRoot)->Parent().As<Outlook::MAPIFolder>()->Name(), u"Mailbox");
    EXPECT_FALSE(Open(elsewhere));
    EXPECT_FALSE(Open(root / "Inbox" / "tmp" / "y"));
    EXPECT_FALSE(Open(root / "Inbox" / "cur" / "missing"));
    EXPECT_FALSE(Open(root / "Inbox"));
}

TEST_F(Folders, OpeningSomethingElseThanAMailboxFails) {
    fs::create_directories(platform.Root() / "plain");
    EXPECT_THROW(mailstore::Mailbox::Open(platform.Root() / "plain"), host::HostError);
    EXPECT_THROW(mailstore::Mailbox::Open(platform.Root() / "missing"), host::HostError);
}

TEST_F(Folders, ApplicationOffersTheMapiNamespaceAndAnExplorerOnTheRoot) {
    auto application = Box().Application();
    EXPECT_EQ(application->Name(), u"Outlook");
    EXPECT_TRUE(application->GetNamespace(u"mapi"));
    EXPECT_THROW(application->GetNamespace(u"Other"), host::HostError);
    EXPECT_FALSE(application->GetNamespace(u"MAPI")->PickFolder());
    auto explorer = application->ActiveExplorer();
    EXPECT_EQ(explorer->CurrentFolder()->Name(), u"Mailbox");
    EXPECT_EQ(explorer->Selection()->Count(), 0);
}

TEST_F(Folders, HeldItemsKeepOnlyABoundedNumberOfFilesOpen) {
    for (int i = 0; i < 150; ++i) Deliver("Bulk", std::to_string(1700000000 + i) + ".M1P1.host", Note("n" + std::to_string(i)));
    const auto openFiles = [] { return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()); };
    const auto before = openFiles();
    std::vector<com::ComPtr<Outlook::_MailItem>> held;
    auto items = Box().FindFolder(u"Bulk")->Items();
    for (std::int32_t i = 1; i <= items->Count(); ++i) held.push_back(items->Item(i).As<Outlook::_MailItem>());
    EXPECT_LE(openFiles() - before, 70);
    // Items whose parse was let go read their file again when used.
    EXPECT_EQ(held.front()->Subject(), u"n0");
    EXPECT_EQ(held.back()->Subject(), u"n149");
}

}  // namespace
}  // namespace mailstore_test
