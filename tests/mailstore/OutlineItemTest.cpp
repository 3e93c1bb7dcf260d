// Item objects whose source offers an outline of the message, as a mail
// server's store does: what the outline tells is answered without reading
// the message, content is read once when needed, and a message that is not
// what its outline said is left alone.
#include <cstdlib>

#include "MailboxFixture.h"
#include "host/HostError.h"
#include "mailstore/ItemObject.h"
#include "mailstore/MessageContext.h"
#include "mailstore/MessageFile.h"
#include "mailstore/MimeTree.h"
#include "mapi/MapiGuid.h"
#include "mapi/MapiTags.h"

namespace mailstore_test {
namespace {

using mailstore::GObjectPtr;

GObjectPtr<GMimeMessage> Parse(const std::string& text) {
    auto stream = GObjectPtr<GMimeStream>::Adopt(g_mime_stream_mem_new_with_buffer(text.data(), text.size()));
    return mailstore::ReadMessageStream(std::move(stream));
}

void Leaves(GMimeObject* part, std::vector<GMimeObject*>& leaves) {
    if (!GMIME_IS_MULTIPART(part)) {
        leaves.push_back(part);
        return;
    }
    for (int i = 0; i < g_mime_multipart_get_count(GMIME_MULTIPART(part)); ++i) {
        Leaves(g_mime_multipart_get_part(GMIME_MULTIPART(part), i), leaves);
    }
}

// A message held in memory, with an outline made from another text (the
// structure as a server would describe it) whose leaves have the sizes given.
class OutlinedSource final : public mailstore::MessageSource {
public:
    OutlinedSource(std::string whole, std::string outline, std::vector<std::uint64_t> sizes)
        : whole_(std::move(whole)), outline_(std::move(outline)), sizes_(std::move(sizes)) {}

    std::string Name() override { return "server/folder;UID=7"; }
    std::u16string Identity() override { return u"folder/1/7"; }
    GObjectPtr<GMimeMessage> Read() override {
        ++reads;
        return Parse(whole_);
    }
    std::optional<mailstore::MessageOutline> ReadOutline() override {
        mailstore::MessageOutline outline{Parse(outline_), {}};
        std::vector<GMimeObject*> leaves;
        Leaves(g_mime_message_get_mime_part(outline.message.get()), leaves);
        for (std::size_t i = 0; i < leaves.size() && i < sizes_.size(); ++i) outline.decodedSizes[leaves[i]] = sizes_[i];
        return outline;
    }
    std::int64_t ArrivalTime() override { return 1700000000; }
    void Write(GMimeMessage* message, const std::function<void(GMimeMessage*)>& check) override {
        char* text = g_mime_object_to_string(GMIME_OBJECT(message), nullptr);
        written = text;
        g_free(text);
        check(Parse(written).get());
    }

    int reads = 0;
    std::string written;

private:
    std::string whole_;
    std::string outline_;
    std::vector<std::uint64_t> sizes_;
};

LONG Size(Outlook::Attachment& attachment) {
    auto properties = attachment.MAPIOBJECT().As<IAttachment>();
    SPropTagArray tags{1, {PR_ATTACH_SIZE}};
    ULONG count = 0;
    LPSPropValue values = nullptr;
    const HRESULT result = properties->GetProps(&tags, 0, &count, &values);
    const LONG value = result == S_OK ? values[0].Value.l : -1;
    std::free(values);
    return value;
}

const std::string kPdf(3000, 'p');
const std::string kZip(5000, 'z');

std::string TwoAttachments(const std::string& pdf, const std::string& zip) {
    return Mixed("outlined", {TextPart("Hello.\n"),
                              Base64Part("application/pdf", pdf, "Content-Disposition: attachment; filename=a.pdf\n"),
                              Base64Part("application/zip", zip, "Content-Disposition: attachment; filename=b.zip\n")});
}

class OutlinedItems : public MailboxTest {
protected:
    // An item over the source, which the test keeps watching.
    com::ComPtr<Outlook::_MailItem> Item(std::string whole, std::string outline,
                                         std::vector<std::uint64_t> sizes = {6, 3000, 5000}) {
        auto source = std::make_unique<OutlinedSource>(std::move(whole), std::move(outline), std::move(sizes));
        source_ = source.get();
        auto item = com::MakeCom<mailstore::ItemObject>(context, std::move(source), nullptr);
        return com::ComPtr<IUnknown>(item->Identity()).As<Outlook::_MailItem>();
    }

    std::string Saved(Outlook::Attachment& attachment) {
        if (!platform.FileSystem().DirectoryExists(u"C:\\Out")) platform.FileSystem().MakeDirectory(u"C:\\Out");
        attachment.SaveAsFile(u"C:\\Out\\saved");
        std::string bytes = platform.ReadFile(u"C:\\Out\\saved");
        platform.FileSystem().Remove(u"C:\\Out\\saved");
        return bytes;
    }

    std::shared_ptr<mailstore::MessageContext> context = std::make_shared<mailstore::MessageContext>(false);
    OutlinedSource* source_ = nullptr;
};

TEST_F(OutlinedItems, NamesTypesAndSizesComeFromTheOutlineAndContentFromOneRead) {
    // The outline holds the structure only: no content to decode.
    auto item = Item(TwoAttachments(kPdf, kZip), TwoAttachments("", ""));
    ASSERT_TRUE(item);
    EXPECT_EQ(item->Subject(), u"outlined");
    auto attachments = item->Attachments();
    ASSERT_EQ(attachments->Count(), 2);
    EXPECT_EQ(attachments->Item(1)->FileName(), u"a.pdf");
    EXPECT_EQ(attachments->Item(2)->Type(), Outlook::olByValue);
    EXPECT_EQ(Size(*attachments->Item(1)), 3000);
    EXPECT_EQ(Size(*attachments->Item(2)), 5000);
    EXPECT_EQ(source_->reads, 0);

    auto zip = attachments->Item(2);
    EXPECT_EQ(Saved(*zip), kZip);
    EXPECT_EQ(Saved(*attachments->Item(1)), kPdf);
    EXPECT_TRUE(zip->ContentIntact());
    EXPECT_EQ(source_->reads, 1);
    // Once read, sizes are the content's own.
    EXPECT_EQ(Size(*attachments->Item(1)), 3000);
    EXPECT_EQ(item->Body(), u"Hello.\r\n");
    EXPECT_EQ(source_->reads, 1);
}

TEST_F(OutlinedItems, RemovingAnAttachmentChosenByTheOutlineRemovesItFromTheMessage) {
    auto item = Item(TwoAttachments(kPdf, kZip), TwoAttachments("", ""));
    auto attachments = item->Attachments();
    auto pdf = attachments->Item(1);
    EXPECT_EQ(Saved(*pdf), kPdf);
    attachments->Remove(1);
    item->Save();
    auto written = Parse(source_->written);
    const auto parts = mailstore::AttachmentParts(written.get());
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_STREQ(g_mime_part_get_filename(GMIME_PART(parts[0])), "b.zip");
}

TEST_F(OutlinedItems, AMessageThatIsNotWhatItsOutlineSaidIsLeftAlone) {
    const std::string otherName = Mixed(
        "outlined", {TextPart("Hello.\n"),
                     Base64Part("application/pdf", kPdf, "Content-Disposition: attachment; filename=other.exe\n"),
                     Base64Part("application/zip", kZip, "Content-Disposition: attachment; filename=b.zip\n")});
    const std::string fewer = Mixed(
        "outlined", {TextPart("Hello.\n"),
                     Base64Part("application/zip", kZip, "Content-Disposition: attachment; filename=b.zip\n")});
    for (const std::string& whole : {otherName, fewer}) {
        auto item = Item(whole, TwoAttachments("", ""));
        auto attachments = item->Attachments();
        ASSERT_EQ(attachments->Count(), 2);
        auto pdf = attachments->Item(1);
        try {
            Saved(*pdf);
            ADD_FAILURE() << "content of a message that differs from its outline was written";
        } catch (const host::HostError& error) {
            EXPECT_EQ(error.Code(), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
        }
        // The engine's next call on the item skips it.
        EXPECT_THROW(item->Attachments()->Count(), host::HostError);
        EXPECT_THROW(item->Body(), host::HostError);
        const auto warnings = context->TakeWarnings();
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_NE(warnings[0].find("server/folder;UID=7"), std::string::npos);
    }
}

TEST_F(OutlinedItems, ACalendarsKindIsReadFromItsContent) {
    const std::string calendar = "BEGIN:VCALENDAR\nMETHOD:REQUEST\nBEGIN:VEVENT\nUID:1\nEND:VEVENT\nEND:VCALENDAR\n";
    const std::string whole = Message("Subject: invitation\nContent-Type: text/calendar; method=REQUEST\n", calendar);
    const std::string outline = Message("Subject: invitation\nContent-Type: text/calendar; method=REQUEST\n", "");
    auto source = std::make_unique<OutlinedSource>(whole, outline, std::vector<std::uint64_t>{100});
    OutlinedSource& watched = *source;
    auto item = com::MakeCom<mailstore::ItemObject>(context, std::move(source), nullptr);
    EXPECT_FALSE(com::ComPtr<IUnknown>(item->Identity()).As<Outlook::_MailItem>());
    EXPECT_TRUE(com::ComPtr<IUnknown>(item->Identity()).As<Outlook::_MeetingItem>());
    EXPECT_EQ(watched.reads, 1);

    // A plain message's kind needs no content.
    auto mail = Item(TwoAttachments(kPdf, kZip), TwoAttachments("", ""));
    EXPECT_TRUE(mail);
    EXPECT_EQ(source_->reads, 0);
}

}  // namespace
}  // namespace mailstore_test
