// Attachments as the engine reads them: which parts, their names, sizes,
// inline flag and content.
#include <cstdlib>

#include "MailboxFixture.h"
#include "host/HostError.h"
#include "mapi/MapiGuid.h"
#include "mapi/MapiTags.h"

namespace mailstore_test {
namespace {

// PR_ATTACH_SIZE or PR_ATTACH_FLAGS through MAPIOBJECT, as the engine asks; -1 when missing.
LONG Property(Outlook::Attachment& attachment, ULONG tag) {
    auto properties = attachment.MAPIOBJECT().As<IAttachment>();
    if (!properties) return -2;
    SPropTagArray tags{1, {tag}};
    ULONG count = 0;
    LPSPropValue values = nullptr;
    const HRESULT result = properties->GetProps(&tags, 0, &count, &values);
    const LONG value = result == S_OK ? values[0].Value.l : -1;
    std::free(values);
    return value;
}

class Attachments : public MailboxTest {
protected:
    std::string Saved(Outlook::Attachment& attachment, std::u16string_view name) {
        const std::u16string path = u"C:\\Out\\" + std::u16string(name);
        if (!platform.FileSystem().DirectoryExists(u"C:\\Out")) platform.FileSystem().MakeDirectory(u"C:\\Out");
        attachment.SaveAsFile(path);
        return platform.ReadFile(path);
    }
};

TEST_F(Attachments, PartsThatCarryAFileInTheOrderTheyAppear) {
    const std::string related =
        "Content-Type: multipart/related; boundary=rel\n\n--rel\n" +
        HtmlPart("<html><body><img src=\"cid:logo@x\"></body></html>") + "\n--rel\n" +
        Base64Part("image/png", "PNG", "Content-ID: <logo@x>\n") + "\n--rel--\n";
    const auto file = Deliver(
        "", "m",
        Mixed("parts", {"Content-Type: multipart/alternative; boundary=alt\n\n--alt\n" + TextPart("body") +
                            "\n--alt\n" + related + "\n--alt--\n",
                        Base64Part("application/pdf", "PDF", "Content-Disposition: attachment; filename=\"one.pdf\"\n"),
                        Base64Part("application/octet-stream; name=\"two.bin\"", "BIN", ""),
                        Base64Part("text/plain", "notes", "Content-Disposition: attachment\n"),
                        "Content-Type: message/rfc822\nContent-Disposition: attachment\n\n" +
                            Message("Subject: Forwarded: a/b\n", "inner\n"),
                        TextPart("an inline text part after the attachments is no attachment")}));
    auto attachments = Mail(file)->Attachments();
    ASSERT_EQ(attachments->Count(), 4);
    std::vector<std::u16string> names;
    std::vector<std::int32_t> types;
    for (std::int32_t i = 1; i <= attachments->Count(); ++i) {
        names.push_back(attachments->Item(i)->FileName());
        types.push_back(attachments->Item(i)->Type());
        EXPECT_EQ(attachments->Item(i)->DisplayName(), names.back());
        EXPECT_EQ(attachments->Item(i)->PathName(), u"");
    }
    // The related image has no file name but its place in the HTML: an
    // attachment only by the inline test, not by carrying a file.
    EXPECT_EQ(names, (std::vector<std::u16string>{u"one.pdf", u"two.bin", u"attachment.txt", u"Forwarded: a/b.eml"}));
    EXPECT_EQ(types, (std::vector<std::int32_t>{1, 1, 1, 5}));
}

TEST_F(Attachments, EncodedNamesAreDecoded) {
    const auto file = Deliver(
        "", "m",
        Mixed("names", {Base64Part("application/pdf", "1",
                                   "Content-Disposition: attachment; filename*=UTF-8''%C3%9Cbersicht%20%E2%82%AC.pdf\n"),
                        Base64Part("application/pdf", "2",
                                   "Content-Disposition: attachment;\n filename*0*=UTF-8''%E6%97%A5%E6%9C%AC;\n"
                                   " filename*1=\"-long.pdf\"\n"),
                        Base64Part("application/pdf", "3",
                                   "Content-Disposition: attachment; filename=\"=?UTF-8?B?0JDQsdCy?=.pdf\"\n"),
                        Base64Part("application/pdf", "4",
                                   "Content-Disposition: attachment; filename*=iso-8859-1''caf%E9.pdf\n")}));
    auto attachments = Mail(file)->Attachments();
    ASSERT_EQ(attachments->Count(), 4);
    EXPECT_EQ(attachments->Item(1)->FileName(), u"\u00DCbersicht \u20AC.pdf");
    EXPECT_EQ(attachments->Item(2)->FileName(), u"\u65E5\u672C-long.pdf");
    EXPECT_EQ(attachments->Item(3)->FileName(), u"\u0410\u0431\u0432.pdf");
    EXPECT_EQ(attachments->Item(4)->FileName(), u"caf\u00E9.pdf");
}

TEST_F(Attachments, SizeIsTheDecodedSizeAndInlineMeansShownByTheHtml) {
    const std::string image = BinaryContent(3000);
    const auto file = Deliver(
        "", "m",
        Mixed("inline", {HtmlPart("<p>Logo: <img src=\"CID:Logo%40example\"></p>"),
                         Base64Part("image/png", image, "Content-ID: <logo@example>\nContent-Disposition: inline; filename=logo.png\n"),
                         Base64Part("image/png", image, "Content-ID: <unused@example>\nContent-Disposition: inline; filename=other.png\n"),
                         Base64Part("application/pdf", "", "Content-Disposition: attachment; filename=empty.pdf\n")}));
    auto attachments = Mail(file)->Attachments();
    ASSERT_EQ(attachments->Count(), 3);
    EXPECT_EQ(Property(*attachments->Item(1), PR_ATTACH_SIZE), 3000);
    EXPECT_GT(Property(*attachments->Item(1), PR_ATTACH_FLAGS), 0);
    EXPECT_EQ(Property(*attachments->Item(2), PR_ATTACH_FLAGS), 0);
    EXPECT_EQ(Property(*attachments->Item(3), PR_ATTACH_SIZE), 0);
    // Another property is not there: a warning result, not a value.
    EXPECT_EQ(Property(*attachments->Item(3), PROP_TAG(PT_LONG, 0x0E21)), -1);
}

TEST_F(Attachments, SaveAsFileWritesTheDecodedBytes) {
    const std::string binary = BinaryContent(70000);
    const std::string quoted =
        "Content-Type: text/plain; charset=utf-8\nContent-Disposition: attachment; filename=notes.txt\n"
        "Content-Transfer-Encoding: quoted-printable\n\n"
        "Caf=C3=A9 =3D 100% sure=\n, said the=09tab\nsecond line=20\nend";
    const auto file = Deliver(
        "", "m",
        Mixed("content", {TextPart("body"),
                          Base64Part("application/octet-stream", binary, "Content-Disposition: attachment; filename=data.bin\n"),
                          quoted}));
    auto attachments = Mail(file)->Attachments();
    ASSERT_EQ(attachments->Count(), 2);
    EXPECT_EQ(Saved(*attachments->Item(1), u"data.bin"), binary);
    EXPECT_EQ(Saved(*attachments->Item(2), u"notes.txt"), "Caf\xC3\xA9 = 100% sure, said the\ttab\nsecond line \nend");
    // A second write of the same part gives the same bytes again.
    EXPECT_EQ(Saved(*attachments->Item(1), u"again.bin"), binary);
    EXPECT_EQ(Property(*attachments->Item(1), PR_ATTACH_SIZE), 70000);
}

TEST_F(Attachments, FailedSaveAsFileLeavesNoFileAndBadIndicesFail) {
    const auto file = Deliver("", "m", Mixed("x", {Base64Part("application/pdf", "PDF",
                                                                "Content-Disposition: attachment; filename=a.pdf\n")}));
    auto attachments = Mail(file)->Attachments();
    EXPECT_THROW(attachments->Item(1)->SaveAsFile(u"C:\\Missing\\a.pdf"), host::HostError);
    EXPECT_FALSE(platform.FileSystem().FileExists(u"C:\\Missing\\a.pdf"));
    EXPECT_THROW(attachments->Item(0), host::HostError);
    EXPECT_THROW(attachments->Item(2), host::HostError);
    EXPECT_THROW(attachments->Remove(2), host::HostError);
    EXPECT_THROW(attachments->Add(u"C:\\a.pdf", Outlook::olOLE, 1, u"a.pdf"), host::HostError);
    EXPECT_THROW(attachments->Add(u"C:\\missing.pdf", Outlook::olByValue, 1, u"missing.pdf"), host::HostError);
    EXPECT_EQ(attachments->Count(), 1);
}

}  // namespace
}  // namespace mailstore_test
