// Signed messages are left as they are unless the mailbox is told to take
// their attachments: taking one changes what the signature signs.
#include "MailboxFixture.h"

namespace mailstore_test {
namespace {

std::string SignedPart(std::string_view content) {
    return "Content-Type: multipart/signed; protocol=\"application/pgp-signature\"; micalg=pgp-sha256; boundary=s\n\n"
           "--s\n" + std::string(content) + "\n--s\nContent-Type: application/pgp-signature; name=signature.asc\n\n"
           "-----BEGIN PGP SIGNATURE-----\nSIGNED\n-----END PGP SIGNATURE-----\n--s--\n";
}

std::string SignedMixed() {
    return "Content-Type: multipart/mixed; boundary=m\n\n--m\n" + TextPart("signed text") + "\n--m\n" +
           Base64Part("application/pdf", "PDF", "Content-Disposition: attachment; filename=signed.pdf\n") + "\n--m--\n";
}

// A message whose content is the part.
std::string AsMessage(std::string_view subject, const std::string& part) {
    const auto end = part.find("\n\n");
    return Message("Subject: " + std::string(subject) + "\n" + part.substr(0, end + 1), part.substr(end + 2));
}

class SignedContent : public MailboxTest {
protected:
    std::string Leaving(const fs::path& file) {
        return "Leaving " + file.string() +
               " as it is: it is signed; --include-signed takes its attachments (and drops its signature)";
    }
};

TEST_F(SignedContent, AttachmentsOfSignedContentAreNotOfferedAndTheMessageIsNamedOnce) {
    const std::string signedPart = SignedPart(SignedMixed());
    const auto file = Deliver("Inbox", "1",
                              Mixed("signed", {TextPart("body"), signedPart,
                                               Base64Part("application/pdf", "OUT",
                                                          "Content-Disposition: attachment; filename=outside.pdf\n")}));
    auto mail = Mail(file);
    auto attachments = mail->Attachments();
    ASSERT_EQ(attachments->Count(), 1);
    EXPECT_EQ(attachments->Item(1)->FileName(), u"outside.pdf");
    // What lies outside the signed content may go; the signed content stays as it was, byte for byte.
    attachments->Remove(1);
    mail->Save();
    EXPECT_EQ(Mail(file)->Attachments()->Count(), 0);
    const std::string stored = ReadNative(Current(file));
    EXPECT_NE(stored.find(signedPart.substr(signedPart.find("--s\n"))), std::string::npos) << stored;
    EXPECT_EQ(Box().TakeWarnings(), std::vector<std::string>{Leaving(file)});
}

TEST_F(SignedContent, SignedMessagesWithoutAttachmentsPassInSilence) {
    const auto plain = Deliver("Inbox", "1", AsMessage("signed note", SignedPart(TextPart("just text"))));
    const auto whole = Deliver("Inbox", "2", AsMessage("signed file", SignedPart(SignedMixed())));
    EXPECT_EQ(Mail(plain)->Attachments()->Count(), 0);
    EXPECT_TRUE(Box().TakeWarnings().empty());
    EXPECT_EQ(Mail(whole)->Attachments()->Count(), 0);
    EXPECT_EQ(Box().TakeWarnings(), std::vector<std::string>{Leaving(whole)});
}

TEST_F(SignedContent, TakenWhenIncludedTheSignatureGoesWithTheChange) {
    boxOptions.includeSigned = true;
    const auto file = Deliver("Inbox", "1", Mixed("signed", {TextPart("body"), SignedPart(SignedMixed())}));
    auto mail = Mail(file);
    ASSERT_EQ(mail->Attachments()->Count(), 1);
    mail->Attachments()->Remove(1);
    mail->Save();
    const std::string stored = ReadNative(Current(file));
    EXPECT_EQ(stored.find("multipart/signed"), std::string::npos);
    EXPECT_EQ(stored.find("SIGNED"), std::string::npos);
    EXPECT_NE(stored.find("signed text"), std::string::npos);
    EXPECT_TRUE(Box().TakeWarnings().empty());
}

}  // namespace
}  // namespace mailstore_test
