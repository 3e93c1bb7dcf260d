// Mailbox roots as servers, readers and synchronisers make them: a tree of
// Maildirs under a directory that is none, Maildir++ folders beside the
// inbox, and folder names in modified UTF-7.
#include "MailboxFixture.h"
#include "base/Utf16.h"
#include "host/HostError.h"
#include "mailstore/ModifiedUtf7.h"

namespace mailstore_test {
namespace {

std::string Note(std::string_view subject) {
    return Mixed(subject, {TextPart("text\n"),
                           Base64Part("application/pdf", "PDF", "Content-Disposition: attachment; filename=a.pdf\n")});
}

class Layouts : public MailboxTest {
protected:
    // The names of the folder's sub-folders, and theirs below in brackets.
    static std::string Tree(Outlook::MAPIFolder& folder) {
        std::string text;
        auto folders = folder.Folders();
        for (std::int32_t i = 1; i <= folders->Count(); ++i) {
            auto sub = folders->Item(i);
            const std::string below = Tree(*sub);
            text += (text.empty() ? "" : " ") + velmora::ToUtf8(sub->Name()) + (below.empty() ? "" : "[" + below + "]");
        }
        return text;
    }

    // The names from the item's folder up to the root.
    static std::string PathOf(Outlook::_MailItem& item) {
        std::string path;
        for (auto folder = item.Parent().As<Outlook::MAPIFolder>(); folder;
             folder = folder->Parent().As<Outlook::MAPIFolder>()) {
            path = velmora::ToUtf8(folder->Name()) + (path.empty() ? "" : "/" + path);
        }
        return path;
    }

    // Removes the message's attachment and saves: the new file must land in
    // the same directory.
    void SaveIn(const fs::path& file) {
        auto mail = Mail(file);
        mail->Attachments()->Remove(1);
        mail->Save();
        EXPECT_EQ(Current(file).parent_path(), file.parent_path());
        EXPECT_EQ(Mail(Current(file))->Attachments()->Count(), 0);
    }

    // Makes a directory that is no Maildir.
    void Directory(std::string_view relative) { fs::create_directories(root / relative); }
};

// mbsync and offlineimap: the root only holds the folders, INBOX among them.
TEST_F(Layouts, ARootThatOnlyHoldsMaildirsIsATreeOfFolders) {
    fs::remove_all(root);
    Folder("INBOX");
    Folder("Work");
    Folder("Work/Clients");
    Folder("Archive.2023");
    Directory("notes/drafts");  // no Maildir anywhere below
    const auto file = Deliver("Work/Clients", "1700000000.M1P1.host:2,S", Note("client"));

    auto top = Box().RootFolder();
    EXPECT_EQ(Tree(*top), "Archive.2023 INBOX Work[Clients]");
    EXPECT_EQ(top->Items()->Count(), 0);
    EXPECT_EQ(Box().FindFolder(u"work/clients")->Items()->Count(), 1);
    EXPECT_EQ(PathOf(*Mail(file)), "Mailbox/Work/Clients");
    SaveIn(file);

    // A directory with no Maildir anywhere is still no mailbox.
    EXPECT_THROW(mailstore::Mailbox::Open(root / "notes"), host::HostError);
}

// Dovecot's default: the inbox at the root, ".Work.Clients" beside it for
// "Work/Clients", levels without a directory of their own, and hidden
// directories of other programs that are no folders.
TEST_F(Layouts, MaildirPlusPlusFoldersTakeTheirHierarchyFromTheDots) {
    Folder(".Sent");
    Folder(".Work");
    Folder(".Work.Clients");
    Folder(".Archive.2023.Q1");
    Folder(".bad..name");
    Folder(".trailing.");
    Directory(".notmuch/xapian");
    Folder("Projects");
    Folder("Projects/.Drafts");
    const auto inInbox = Deliver("", "1700000000.M1P1.host:2,S", Note("inbox"));
    const auto deep = Deliver(".Archive.2023.Q1", "1700000001.M1P1.host:2,S", Note("deep"));
    const auto client = Deliver(".Work.Clients", "1700000002.M1P1.host:2,S", Note("client"), "new");
    const auto draft = Deliver("Projects/.Drafts", "1700000003.M1P1.host:2,D", Note("draft"));

    auto top = Box().RootFolder();
    EXPECT_EQ(Tree(*top), "Archive[2023[Q1]] Projects[Drafts] Sent Work[Clients]");
    EXPECT_EQ(top->Items()->Count(), 1);
    EXPECT_EQ(Box().FindFolder(u"Archive")->Items()->Count(), 0);
    EXPECT_EQ(Box().FindFolder(u"Archive/2023/Q1")->Items()->Count(), 1);
    EXPECT_EQ(Box().FindFolder(u"Work/Clients")->Items()->Count(), 1);
    EXPECT_FALSE(Box().FindFolder(u"Work.Clients"));
    EXPECT_FALSE(Box().FindFolder(u"notmuch"));

    EXPECT_EQ(PathOf(*Mail(inInbox)), "Mailbox");
    EXPECT_EQ(PathOf(*Mail(deep)), "Mailbox/Archive/2023/Q1");
    EXPECT_EQ(PathOf(*Mail(client)), "Mailbox/Work/Clients");
    EXPECT_EQ(PathOf(*Mail(draft)), "Mailbox/Projects/Drafts");
    // Folders whose names break the rules hold no messages of the mailbox.
    EXPECT_FALSE(Open(Deliver(".bad..name", "1700000004.M1P1.host", Note("bad"))));
    EXPECT_FALSE(Open(Deliver(".trailing.", "1700000005.M1P1.host", Note("bad"))));

    SaveIn(deep);
    SaveIn(inInbox);
    SaveIn(draft);
    // A message in new/ comes out in cur/.
    auto mail = Mail(client);
    mail->Attachments()->Remove(1);
    mail->Save();
    EXPECT_EQ(Current(client).parent_path(), root / ".Work.Clients" / "cur");
}

// A mailbox kept in a hidden directory is no Maildir++ folder of its parent.
TEST_F(Layouts, AHiddenRootIsTheRootItself) {
    const fs::path hidden = platform.Root() / ".mail";
    for (const char* sub : {"cur", "new", "tmp", ".Work/cur", ".Work/new", "Plain/cur", "Plain/new"}) {
        fs::create_directories(hidden / sub);
    }
    fs::create_directories(platform.Root() / ".mail.Sibling" / "cur");
    fs::create_directories(platform.Root() / ".mail.Sibling" / "new");
    auto box = mailstore::Mailbox::Open(hidden);
    EXPECT_EQ(Tree(*box->RootFolder()), "Plain Work");
}

TEST_F(Layouts, FolderNamesInModifiedUtf7AreShownDecodedAndKeptOnDisk) {
    Folder("&ANw-berweisungen");
    Folder(".Entw&APw-rfe");
    Folder(".Entw&APw-rfe.&ZeVnLIqe-");
    Folder("R&D");
    Folder("&AGE-");
    const auto file = Deliver("&ANw-berweisungen", "1700000000.M1P1.host:2,S", Note("transfer"));
    const auto nested = Deliver(".Entw&APw-rfe.&ZeVnLIqe-", "1700000001.M1P1.host:2,S", Note("nested"));

    EXPECT_EQ(Tree(*Box().RootFolder()),
              "&AGE- Entw\xC3\xBCrfe[\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E] R&D \xC3\x9C" "berweisungen");
    EXPECT_EQ(Box().FindFolder(u"\u00DCberweisungen")->Items()->Count(), 1);
    EXPECT_EQ(Box().FindFolder(u"&ANw-berweisungen")->Items()->Count(), 1);
    EXPECT_EQ(Box().FindFolder(u"Entw\u00FCrfe/\u65E5\u672C\u8A9E")->Items()->Count(), 1);
    EXPECT_EQ(PathOf(*Mail(nested)), "Mailbox/Entw\xC3\xBCrfe/\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E");
    SaveIn(file);
    SaveIn(nested);
}

TEST(ModifiedUtf7, DecodesWhatServersWriteAndRefusesAnythingElse) {
    using mailstore::DecodeModifiedUtf7;
    EXPECT_EQ(DecodeModifiedUtf7("&ANw-berweisungen"), u"\u00DCberweisungen");
    EXPECT_EQ(DecodeModifiedUtf7("&AMk-t&AOk-"), u"\u00C9t\u00E9");
    EXPECT_EQ(DecodeModifiedUtf7("&2D3cAA- Ratten"), u"\U0001F400 Ratten");
    EXPECT_EQ(DecodeModifiedUtf7("R&-D"), u"R&D");
    EXPECT_EQ(DecodeModifiedUtf7("x&AKA-y"), u"x\u00A0y");
    EXPECT_EQ(DecodeModifiedUtf7("plain"), u"plain");
    EXPECT_EQ(DecodeModifiedUtf7(""), u"");

    for (const std::string_view text : {
             "R&D",                 // '&' never closed
             "Tom & Jerry",         // not a base64 run
             "&ANx-",               // padding bits not zero
             "&AGE-",               // 'a' must stand for itself
             "&AAc-", "a&AAA-b",    // control characters
             "&2D0-", "&3AA-",      // surrogates without their other half
             "&ANw/-",              // '/' is not of the alphabet
             "&AN-",                // less than one character
             "\xC3\x9C" "berweisungen",  // UTF-8, not modified UTF-7
             "tab\there",
         }) {
        EXPECT_FALSE(DecodeModifiedUtf7(text)) << text;
    }
}

}  // namespace
}  // namespace mailstore_test
