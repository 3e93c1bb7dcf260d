// The engine's runs over a real mailbox: saving with each replacement mode,
// then reintroducing, gives every attachment back byte for byte.
#include <map>

#include "MailboxFixture.h"
#include "MapiProvider.h"
#include "base/Utf16.h"
#include "engine/uOutlookManager.h"

namespace mailstore_test {
namespace {

using velmora::TOutlookManager;

struct Original {
    std::string folder;  // below the mailbox
    std::string file;    // name of the attachment
    std::string bytes;
};

std::string Calendar() {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nMETHOD:REQUEST\r\nBEGIN:VEVENT\r\nUID:7@example.org\r\n"
           "DTSTAMP:20231114T100000Z\r\nDTSTART:20231120T090000Z\r\nSUMMARY:Review\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
}

std::string Attached(const Original& original) {
    return Base64Part("application/octet-stream", original.bytes,
                      "Content-Disposition: attachment; filename=\"" + original.file + "\"\n");
}

class EngineOverMailbox : public MailboxTest, public ::testing::WithParamInterface<int> {
protected:
    EngineOverMailbox() {
        testing_support::InstallMapiProvider(platform.Registry());
        engine.Config().SetSaveOnlyBiggerThan(0);
        engine.Config().SetSaveOnlyExtensions(u"");
        engine.Config().SetUseFolderNameAsDir(true);
        engine.Config().SetSaveInlineAttachments(false);
        engine.Config().SetIfFileExists(0);
        engine.OnAttachmentStatus = [this](TOutlookManager&, const std::u16string& file, const std::u16string&,
                                           velmora::TAttachmentStatus status) {
            statuses.push_back(std::to_string(status) + " " + velmora::ToUtf8(file));
        };
        const std::string notes = "Caf=C3=A9 =3D 100%=\n sure\nend";
        Deliver("Inbox", "1700000001.M1P1.h:2,S",
                Mixed("report", {TextPart("See attached.\n"), Attached(originals[0]),
                                 "Content-Type: text/plain; charset=utf-8\nContent-Disposition: attachment; filename=notes.txt\n"
                                 "Content-Transfer-Encoding: quoted-printable\n\n" + notes}));
        Deliver("Inbox", "1700000002.M1P1.h:2,S",
                Mixed("html", {HtmlPart("<p>Logo <img src=\"cid:logo@x\"></p>"),
                               Base64Part("image/png", "PNGDATA", "Content-ID: <logo@x>\nContent-Disposition: inline; filename=logo.png\n"),
                               Attached(originals[1])}));
        const std::string invitation = "Content-Type: multipart/alternative; boundary=alt\n\n--alt\n" + TextPart("Join us.\n") +
                                       "\n--alt\nContent-Type: text/calendar; method=REQUEST\n\n" + Calendar() + "\n--alt--\n";
        Deliver("Inbox", "1700000003.M1P1.h:2,S", Mixed("meeting", {invitation, Attached(originals[2])}));
        Deliver("Inbox/Sub", "1700000004.M1P1.h", Mixed("same name", {TextPart("again"), Attached(originals[3])}), "new");
        engine.Connect(Box().Application().Get());
        inbox = Box().FindFolder(u"Inbox");
    }

    // Each attachment's bytes as the mailbox now gives them, by folder and name.
    std::map<std::string, std::string> AttachmentsInMailbox() {
        std::map<std::string, std::string> found;
        for (const auto& folder : {u"Inbox", u"Inbox/Sub"}) {
            auto items = Box().FindFolder(folder)->Items();
            for (std::int32_t i = 1; i <= items->Count(); ++i) {
                auto attachments = velmora::TOutlookItemFactory::CreateItem(items->Item(i).Get())->GetAttachments();
                for (std::int32_t j = 1; j <= attachments->Count(); ++j) {
                    auto attachment = attachments->Item(j);
                    if (attachment->Type() != Outlook::olByValue) continue;
                    attachment->SaveAsFile(u"C:\\check.bin");
                    found[velmora::ToUtf8(folder) + "/" + velmora::ToUtf8(attachment->FileName())] =
                        platform.ReadFile(u"C:\\check.bin");
                }
            }
        }
        return found;
    }

    // Each message's parts (see PartTree), by subject. Text that is not
    // base64-encoded is taken with LF line ends: the store writes every
    // message it changes so, as Maildir messages are.
    std::map<std::string, std::vector<std::string>> TreesBySubject() {
        std::map<std::string, std::vector<std::string>> trees;
        for (const auto& folder : {root / "Inbox", root / "Inbox" / "Sub"}) {
            for (const char* box : {"cur", "new"}) {
                for (const auto& file : fs::directory_iterator(folder / box)) {
                    auto message = Reparse(file.path());
                    auto tree = PartTree(message.get());
                    for (auto& part : tree) {
                        if (part.find("Content-Transfer-Encoding: base64") != std::string::npos) continue;
                        for (auto at = part.find("\r\n"); at != std::string::npos; at = part.find("\r\n", at)) {
                            part.erase(at, 1);
                        }
                    }
                    trees[g_mime_message_get_subject(message.get())] = std::move(tree);
                }
            }
        }
        return trees;
    }

    std::map<std::string, std::string> Expected(bool withInlineImage) const {
        std::map<std::string, std::string> expected;
        for (const auto& original : originals) expected[original.folder + "/" + original.file] = original.bytes;
        expected["Inbox/notes.txt"] = "Caf\xC3\xA9 = 100% sure\nend";
        if (withInlineImage) expected["Inbox/logo.png"] = "PNGDATA";
        return expected;
    }

    std::string Saved(std::u16string_view path) { return platform.ReadFile(u"C:\\Out\\" + std::u16string(path)); }

    const std::vector<Original> originals = {{"Inbox", "report.pdf", BinaryContent(50000)},
                                             {"Inbox", "data.bin", BinaryContent(3333).substr(1)},
                                             {"Inbox", "agenda.pdf", BinaryContent(777)},
                                             {"Inbox/Sub", "report.pdf", BinaryContent(1234)}};
    TOutlookManager engine;
    com::ComPtr<Outlook::MAPIFolder> inbox;
    std::vector<std::string> statuses;
};

TEST_P(EngineOverMailbox, SaveWithRemovalThenReintroduceGivesEveryByteBack) {
    const int mode = GetParam();
    const auto before = TreesBySubject();
    engine.Config().SetSaveAttOptions(static_cast<std::uint8_t>(mode));
    engine.SaveFolder(u"C:\\Out", inbox.Get(), true, false);
    // A second run finds the same files, dated by the items' stable creation times.
    statuses.clear();
    engine.ResetCounters();
    engine.SaveFolder(u"C:\\Out", inbox.Get(), true, true);
    EXPECT_EQ(statuses, (std::vector<std::string>{
                            "5 C:\\Out\\Inbox\\agenda.pdf", "5 C:\\Out\\Inbox\\data.bin", "4 logo.png",
                            "5 C:\\Out\\Inbox\\notes.txt", "5 C:\\Out\\Inbox\\report.pdf", "5 C:\\Out\\Inbox\\Sub\\report.pdf"}));
    EXPECT_EQ(engine.MessageCount(), 4);

    EXPECT_EQ(Saved(u"Inbox\\report.pdf"), originals[0].bytes);
    EXPECT_EQ(Saved(u"Inbox\\data.bin"), originals[1].bytes);
    EXPECT_EQ(Saved(u"Inbox\\agenda.pdf"), originals[2].bytes);
    EXPECT_EQ(Saved(u"Inbox\\Sub\\report.pdf"), originals[3].bytes);
    EXPECT_EQ(Saved(u"Inbox\\notes.txt"), "Caf\xC3\xA9 = 100% sure\nend");
    // Only the inline image stays in its message.
    EXPECT_EQ(AttachmentsInMailbox(), (std::map<std::string, std::string>{{"Inbox/logo.png", "PNGDATA"}}));

    auto meeting = Box().FindFolder(u"Inbox")->Items()->Item(3).As<Outlook::_MeetingItem>();
    ASSERT_TRUE(meeting);
    const std::u16string body = meeting->Body();
    const std::u16string reference = u"Attachment extracted: <" + platform.FileSystem().FileUri(u"C:\\Out\\Inbox\\agenda.pdf");
    EXPECT_EQ(body.rfind(reference + u">\r\n\r\n", 0) == 0, mode == 1) << velmora::ToUtf8(body);
    EXPECT_EQ(meeting->Attachments()->Count(), mode == 0 ? 1 : 0);

    engine.ReintroduceFolder(inbox.Get(), true, true);
    if (mode == 0) {
        EXPECT_EQ(AttachmentsInMailbox(), Expected(true));
        EXPECT_FALSE(platform.FileSystem().FileExists(u"C:\\Out\\Inbox\\report.pdf"));
        // Every part back where it was, with its headers and bytes.
        EXPECT_EQ(TreesBySubject(), before);
    } else {
        EXPECT_EQ(AttachmentsInMailbox(), (std::map<std::string, std::string>{{"Inbox/logo.png", "PNGDATA"}}));
    }
    for (const auto& folder : {root / "Inbox", root / "Inbox" / "Sub"}) {
        for (const auto& file : fs::directory_iterator(folder / "cur")) EXPECT_TRUE(Reparse(file.path())) << file.path();
        EXPECT_TRUE(fs::is_empty(folder / "tmp"));
    }
    EXPECT_TRUE(Box().TakeWarnings().empty());
}

INSTANTIATE_TEST_SUITE_P(EachReplacement, EngineOverMailbox, ::testing::Values(0, 1, 2));

}  // namespace
}  // namespace mailstore_test
