// A user forwards a message that carries links and sends it from the host:
// the add-in's send guard asks, and each answer does what it says; a
// message that does not go stays a draft. Nothing leaves the machine: sent
// mail lands in the Sent folder.

#include <QLineEdit>
#include <QListWidget>
#include <QPointer>

#include "HostFixture.h"
#include "base/Utf16.h"
#include "mailstore/MessageSummary.h"
#include "qt/Strings.h"

namespace host_test {
namespace {

using velmora::desktop::ComposeWindow;
using velmora::desktop::HostSession;

constexpr char16_t kLinkedSubject[] = u"Links from an earlier run";
const QString kReinsertQuestion =
    "The message you are trying to send contains removed attachments. They won't be readable by the message's "
    "receivers. Do you want to reinsert the original files to the message.";
const QString kSendAnywayQuestion =
    "One or more attachments couldn't be replaced. Do you want to send the mail anyway?";

struct Attached {
    std::u16string name;
    bool link;
    std::uint64_t size;
    bool operator==(const Attached&) const = default;
};

std::vector<Attached> AttachedTo(const fs::path& file) {
    std::vector<Attached> found;
    mailstore::MessagePreview preview(file);
    for (const auto& attachment : preview.Attachments()) {
        found.push_back({attachment.Name, attachment.Link, attachment.Size});
    }
    return found;
}

class SendGuard : public HostTest {
protected:
    fs::path Original() { return MessageWithSubject(Folder("Archive/2023"), kLinkedSubject); }

    // A forward of the message with links, addressed.
    ComposeWindow* Forward(HostSession& host) {
        ComposeWindow* compose = host.Forward(Original());
        if (compose == nullptr) return nullptr;
        compose->To().setText("Ann Example <ann@example.org>");
        return compose;
    }

    std::size_t sentBefore = Messages(Folder("Sent")).size();
};

TEST_F(SendGuard, AForwardCarriesTheLinksAndCancellingTheGuardKeepsItADraft) {
    const auto original = AttachedTo(Original());
    RunHost([&](HostSession& host) {
        QPointer<ComposeWindow> compose = Forward(host);
        ASSERT_TRUE(compose);
        EXPECT_EQ(compose->Subject().text(), qtui::ToQt(std::u16string(u"FW: ") + kLinkedSubject));
        EXPECT_TRUE(compose->Body().toPlainText().contains("-----Original Message-----"));
        QStringList listed;
        for (int i = 0; i < compose->Attachments().count(); ++i) listed.append(compose->Attachments().item(i)->text());
        EXPECT_EQ(listed.filter("(link)").size(), 2) << listed.join(", ").toStdString();
        EXPECT_EQ(listed.size(), static_cast<int>(original.size()));

        ModalAnswers answers;
        answers.Click("Cancel");
        compose->SendButton().click();
        EXPECT_EQ(answers.Texts(), QStringList{kReinsertQuestion});
        ASSERT_TRUE(compose);
        EXPECT_TRUE(compose->isVisible());
        EXPECT_EQ(Child<QLabel>(compose, "status")->text(), "The message was not sent; it stays in Drafts.");
        const auto drafts = Messages(Folder("Drafts"));
        ASSERT_EQ(drafts.size(), 1u);
        EXPECT_EQ(AttachedTo(drafts.front()), original);
        EXPECT_EQ(mailstore::Summarize(drafts.front()).Subject, u"FW: " + std::u16string(kLinkedSubject));
        EXPECT_EQ(Messages(Folder("Sent")).size(), sentBefore);
        compose->close();
    });
    // Closed, it stays in Drafts as it was written.
    ASSERT_EQ(Messages(Folder("Drafts")).size(), 1u);
    EXPECT_NE(Messages(Folder("Drafts")).front().filename().string().find(":2,D"), std::string::npos);
}

TEST_F(SendGuard, ReinsertingPutsTheLinkedFilesBackAndTheMessageGoesToSent) {
    const fs::path saved = Drive('c') / "Saved";
    RunHost([&](HostSession& host) {
        ASSERT_TRUE(host.Window().ShowFolder(Folder("Inbox")));
        ASSERT_TRUE(SaveWithLinks(host, "C:\\Saved"));
        QPointer<ComposeWindow> compose = host.Forward(MessageWithSubject(Folder("Inbox"), u"Invoice March (1)"));
        ASSERT_TRUE(compose);
        ASSERT_EQ(compose->Attachments().count(), 1);
        EXPECT_TRUE(compose->Attachments().item(0)->text().endsWith("(link)"));
        compose->To().setText("Ann Example <ann@example.org>");
        ModalAnswers answers;
        answers.Click("&Yes");
        compose->SendButton().click();
        EXPECT_EQ(answers.Texts(), QStringList{kReinsertQuestion});
        EXPECT_SOON(!compose);
    });
    EXPECT_TRUE(Messages(Folder("Drafts")).empty());
    // The forwarded message keeps its link, and the file stays for it.
    mailstore::MessagePreview original(MessageWithSubject(Folder("Inbox"), u"Invoice March (1)"));
    ASSERT_EQ(original.Attachments().size(), 1u);
    ASSERT_TRUE(original.Attachments().front().Link);
    const fs::path linked = velmora::ToUtf8(original.Attachments().front().LinkedPath);
    EXPECT_EQ(linked.parent_path(), saved);
    ASSERT_TRUE(fs::exists(linked));

    const fs::path sent = MessageWithSubject(Folder("Sent"), u"FW: Invoice March (1)");
    EXPECT_NE(sent.filename().string().find(":2,S"), std::string::npos);
    EXPECT_EQ(AttachedTo(sent), (std::vector<Attached>{{linked.filename().u16string(), false, fs::file_size(linked)}}));
}

TEST_F(SendGuard, ALinkWhoseFileIsGoneMakesTheGuardAskAgainAndEachAnswerHolds) {
    const auto original = AttachedTo(Original());
    RunHost([&](HostSession& host) {
        QPointer<ComposeWindow> compose = Forward(host);
        ASSERT_TRUE(compose);
        {
            ModalAnswers answers;
            answers.Click("&Yes").Click("Cancel");
            compose->SendButton().click();
            EXPECT_EQ(answers.Texts(), (QStringList{kReinsertQuestion, kSendAnywayQuestion}));
        }
        ASSERT_TRUE(compose);
        EXPECT_EQ(Messages(Folder("Sent")).size(), sentBefore);
        ASSERT_EQ(Messages(Folder("Drafts")).size(), 1u);

        ModalAnswers answers;
        answers.Click("&Yes").Click("OK");
        compose->SendButton().click();
        EXPECT_EQ(answers.Texts(), (QStringList{kReinsertQuestion, kSendAnywayQuestion}));
        EXPECT_SOON(!compose);
    });
    EXPECT_TRUE(Messages(Folder("Drafts")).empty());
    // Sent as the guard left it: links to files that were not all there.
    const fs::path sent = MessageWithSubject(Folder("Sent"), u"FW: " + std::u16string(kLinkedSubject));
    int links = 0;
    for (const auto& attachment : AttachedTo(sent)) links += attachment.link;
    EXPECT_GE(links, 1);
    EXPECT_EQ(AttachedTo(sent).size(), original.size());
}

TEST_F(SendGuard, AMessageWithoutLinksGoesWithoutAQuestionAndAnEmptyDraftIsGivenUp) {
    RunHost([&](HostSession& host) {
        QPointer<ComposeWindow> empty = host.NewMessage();
        ASSERT_TRUE(empty);
        EXPECT_EQ(Messages(Folder("Drafts")).size(), 1u);
        empty->close();
        EXPECT_TRUE(Messages(Folder("Drafts")).empty());

        QPointer<ComposeWindow> compose = host.NewMessage();
        ASSERT_TRUE(compose);
        compose->To().setText("bob@example.org");
        compose->Subject().setText("Plain note");
        compose->Body().setPlainText("Hello Bob,\nsee you.");
        compose->SendButton().click();
        EXPECT_SOON(!compose);
    });
    EXPECT_TRUE(Messages(Folder("Drafts")).empty());
    const auto sent = MessageWithSubject(Folder("Sent"), u"Plain note");
    mailstore::MessagePreview preview(sent);
    EXPECT_EQ(preview.To(), u"bob@example.org");
    EXPECT_EQ(preview.Text(), u"Hello Bob,\r\nsee you.\r\n");
}

}  // namespace
}  // namespace host_test
