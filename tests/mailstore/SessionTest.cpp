// What the host's explorer, namespace and application show an add-in: the
// folder and items the user has in front of them, the host's folder
// chooser, the members add-ins read by name, and ItemSend.
#include "MailboxFixture.h"
#include "addin/Automation.h"
#include "addin/EventSink.h"
#include "host/HostError.h"
#include "mailstore/Draft.h"
#include "mailstore/Maildir.h"
#include "sim/CommandBars.h"

namespace mailstore_test {
namespace {

std::string Note(std::string_view subject) { return Message("Subject: " + std::string(subject) + "\n", "hi\n"); }

std::vector<std::u16string> Subjects(Outlook::Selection& selection) {
    std::vector<std::u16string> subjects;
    for (std::int32_t i = 1; i <= selection.Count(); ++i) {
        subjects.push_back(selection.Item(i).As<Outlook::_MailItem>()->Subject());
    }
    return subjects;
}

class Session : public MailboxTest {
protected:
    com::ComPtr<Outlook::Explorer> Shown() { return Box().Application()->ActiveExplorer(); }
};

TEST_F(Session, TheExplorerShowsWhatTheHostShowsAndSelectionsAreSnapshots) {
    const auto first = Deliver("Inbox", "1700000001.M1P1.host:2,S", Note("first"));
    const auto second = Deliver("Inbox", "1700000002.M1P1.host:2,S", Note("second"));
    const auto elsewhere = Deliver("Projects", "1700000003.M1P1.host:2,S", Note("elsewhere"));
    Box().ShowFolder(root / "Inbox");
    EXPECT_EQ(Shown()->CurrentFolder()->Name(), u"Inbox");
    EXPECT_EQ(Shown()->Selection()->Count(), 0);

    // Files of other folders, and what is no message file, are left out.
    Box().Select({second, elsewhere, root / "Inbox" / "cur", first});
    auto taken = Shown()->Selection();
    EXPECT_EQ(Subjects(*taken), (std::vector<std::u16string>{u"second", u"first"}));
    Box().Select({first});
    EXPECT_EQ(Subjects(*taken), (std::vector<std::u16string>{u"second", u"first"}));
    EXPECT_EQ(Subjects(*Shown()->Selection()), std::vector<std::u16string>{u"first"});

    // Showing another folder lets go of the selection.
    Box().ShowFolder(root / "Projects");
    EXPECT_EQ(Shown()->Selection()->Count(), 0);
    EXPECT_THROW(Box().ShowFolder(root / "Projects" / "cur"), host::HostError);
    EXPECT_THROW(Box().ShowFolder(platform.Root()), host::HostError);
    EXPECT_EQ(Shown()->CurrentFolder()->Name(), u"Projects");
}

TEST_F(Session, EachCurrentFolderListsTheItemsAsTheyAreNow) {
    Deliver("Inbox", "1700000001.M1P1.host:2,S", Note("first"));
    Box().ShowFolder(root / "Inbox");
    auto before = Shown()->CurrentFolder()->Items();
    ASSERT_EQ(before->Count(), 1);
    Deliver("Inbox", "1700000002.M1P1.host:2,S", Note("second"));
    EXPECT_EQ(before->Count(), 1);
    EXPECT_EQ(Shown()->CurrentFolder()->Items()->Count(), 2);
}

TEST_F(Session, PickFolderShowsTheHostsChooserAndGivesTheFolderPicked) {
    Folder("Inbox/Clients");
    auto session = Box().Application()->GetNamespace(u"MAPI");
    EXPECT_FALSE(session->PickFolder());

    std::vector<fs::path> answers = {root / "Inbox" / "Clients", platform.Root(), root / "Inbox" / "cur"};
    int asked = 0;
    Box().SetFolderChooser([&]() -> std::optional<fs::path> {
        ++asked;
        if (answers.empty()) return std::nullopt;
        const fs::path answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    });
    auto picked = session->PickFolder();
    ASSERT_TRUE(picked);
    EXPECT_EQ(picked->Name(), u"Clients");
    auto parent = picked->Parent().As<Outlook::MAPIFolder>();
    ASSERT_TRUE(parent);
    EXPECT_EQ(parent->Name(), u"Inbox");
    // Outside the mailbox, or no folder of it: nothing picked.
    EXPECT_FALSE(session->PickFolder());
    EXPECT_FALSE(session->PickFolder());
    EXPECT_FALSE(session->PickFolder());
    EXPECT_EQ(asked, 4);
}

TEST_F(Session, TheNamespaceOutlivingTheMailboxNoLongerReachesItsChooser) {
    auto box = mailstore::Mailbox::Open(root);
    bool asked = false;
    box->SetFolderChooser([&]() -> std::optional<fs::path> {
        asked = true;
        return root;
    });
    auto session = box->Application()->GetNamespace(u"MAPI");
    box.reset();
    EXPECT_FALSE(session->PickFolder());
    EXPECT_FALSE(asked);
}

TEST_F(Session, AddInsReadTheApplicationsMembersByNameAndReachOneSetOfBars) {
    auto application = Box().Application().As<IDispatch>();
    ASSERT_TRUE(application);
    EXPECT_EQ(velmora::GetProperty(application.Get(), u"name").Text(), u"Outlook");
    auto explorer = velmora::GetProperty(application.Get(), u"ActiveExplorer").Dispatch();
    ASSERT_TRUE(explorer);
    auto explorerBars = velmora::GetProperty(explorer.Get(), u"CommandBars").Dispatch();
    auto applicationBars = velmora::GetProperty(application.Get(), u"CommandBars").Dispatch();
    ASSERT_TRUE(explorerBars);
    EXPECT_EQ(explorerBars.Get(), applicationBars.Get());
    EXPECT_EQ(explorerBars.Get(), Box().CommandBars().AsDispatch());
    EXPECT_THROW(velmora::GetProperty(application.Get(), u"Session"), host::HostError);
}

// ItemSend as an add-in receives it, through the add-in's own sink.
class SendSink {
public:
    explicit SendSink(IUnknown* application, std::function<void(Outlook::_MailItem&, VARIANT_BOOL&)> handler)
        : application_(application),
          sink_([handler](IDispatch* item, VARIANT_BOOL& cancel) {
              auto mail = com::ComPtr<IDispatch>(item).As<Outlook::_MailItem>();
              ASSERT_TRUE(mail);
              handler(*mail, cancel);
          }),
          cookie_(velmora::TEventSink::Connect(application, sink_)) {}
    ~SendSink() { velmora::TEventSink::Disconnect(application_, sink_.GetEventIID(), cookie_); }
    bool Connected() const { return cookie_ != 0; }

private:
    IUnknown* application_;
    velmora::TAppEventsSink sink_;
    DWORD cookie_;
};

TEST_F(Session, ASendThatASinkCancelsStaysADraftAndOneItLetsGoLandsInSentWithTheSinksChanges) {
    auto draft = Box().NewDraft({u"ann@example.org", u"", u"Report", u"Hello", std::nullopt});
    const fs::path written = draft->File();
    ASSERT_EQ(written.parent_path(), root / "Drafts" / "cur");

    bool cancel = true;
    std::u16string seen;
    auto application = Box().Application();
    SendSink sink(application.Get(), [&](Outlook::_MailItem& mail, VARIANT_BOOL& cancelled) {
        seen = mail.Subject();
        mail.SetBody(u"Changed by the sink");
        mail.Save();
        if (cancel) cancelled = VARIANT_TRUE;
    });
    ASSERT_TRUE(sink.Connected());

    EXPECT_FALSE(Box().Send(*draft));
    EXPECT_EQ(seen, u"Report");
    EXPECT_EQ(FilesBelow(root / "Drafts" / "cur").size(), 1u);
    EXPECT_FALSE(fs::exists(root / "Sent"));

    cancel = false;
    // Each save of the draft gave it a new name.
    EXPECT_NE(draft->File(), written);
    EXPECT_TRUE(Box().Send(*draft));
    EXPECT_TRUE(FilesBelow(root / "Drafts" / "cur").empty());
    const auto sent = FilesBelow(root / "Sent" / "cur");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_TRUE(sent.front().ends_with(":2,S")) << sent.front();
    auto mail = Mail(root / "Sent" / "cur" / sent.front());
    EXPECT_EQ(mail->Body(), u"Changed by the sink\r\n");
}

// A draft is saved under a new name before it goes, so a message already in
// Sent under the draft's first name stays as it is beside it.
TEST_F(Session, ASendNeverReplacesAMessageOfTheSameNameInSent) {
    auto draft = Box().NewDraft({u"ann@example.org", u"", u"Report", u"Hello", std::nullopt});
    const std::string unique = mailstore::maildir::UniqueName(draft->File().filename().string());
    Deliver("Sent", unique + ":2,S", Note("already there"));
    EXPECT_TRUE(Box().Send(*draft));
    EXPECT_EQ(Mail(root / "Sent" / "cur" / (unique + ":2,S"))->Subject(), u"already there");
    EXPECT_EQ(FilesBelow(root / "Sent" / "cur").size(), 2u);
    EXPECT_TRUE(FilesBelow(root / "Drafts" / "cur").empty());
}

}  // namespace
}  // namespace mailstore_test
