// Messages between the server's form (CRLF) and the store's (LF).
#include "mailstore/Gmime.h"
#include <gtest/gtest.h>

#include <string>

#include "imapstore/ServerMessages.h"
#include "mailstore/MessageFile.h"
#include "mailstore/MimeTree.h"
#include "mailstore/PartContent.h"

namespace {

const std::string kBinary = [] {
    std::string bytes;
    for (int round = 0; round < 3; ++round) {
        for (int value = 0; value < 256; ++value) bytes += static_cast<char>(value);
    }
    return bytes;
}();

std::string Base64(const std::string& bytes) {
    gchar* encoded = g_base64_encode(reinterpret_cast<const guchar*>(bytes.data()), bytes.size());
    std::string text(encoded);
    g_free(encoded);
    std::string lines;
    for (std::size_t i = 0; i < text.size(); i += 76) lines += text.substr(i, 76) + "\r\n";
    return lines;
}

TEST(ServerMessages, ReadFromCrlfWrittenBackInCrlfWithEveryByteOfTheAttachments) {
    const std::string served =
        "Subject: round trip\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n"
        "--b\r\nContent-Type: text/plain\r\n\r\nline one\r\nline two\r\n"
        "--b\r\nContent-Type: application/octet-stream\r\nContent-Disposition: attachment; filename=all.bin\r\n"
        "Content-Transfer-Encoding: base64\r\n\r\n" + Base64(kBinary) + "--b--\r\n";
    auto message = imapstore::ParseServerMessage(served);
    const auto parts = mailstore::AttachmentParts(message.get());
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(mailstore::DecodedBytes(GMIME_PART(parts[0])), kBinary);
    GMimeTextPart* body = mailstore::BodyPart(message.get(), "plain");
    ASSERT_NE(body, nullptr);
    // The line end before a boundary belongs to the boundary.
    EXPECT_EQ(mailstore::DecodedBytes(GMIME_PART(body)), "line one\nline two");

    const std::string written = imapstore::ServerForm(message.get());
    for (std::size_t at = written.find('\n'); at != std::string::npos; at = written.find('\n', at + 1)) {
        ASSERT_TRUE(at > 0 && written[at - 1] == '\r') << "a bare line feed at " << at;
    }
    EXPECT_EQ(written.find("\r\r"), std::string::npos);
    auto again = imapstore::ParseServerMessage(written);
    ASSERT_EQ(mailstore::AttachmentParts(again.get()).size(), 1u);
    EXPECT_EQ(mailstore::DecodedBytes(GMIME_PART(mailstore::AttachmentParts(again.get())[0])), kBinary);
}

TEST(ServerMessages, WhatCannotBeReadAsAMessageIsRefused) {
    EXPECT_THROW(imapstore::ParseServerMessage(""), mailstore::UnreadableMessage);
    EXPECT_THROW(imapstore::ParseServerMessage(std::string("Subject: a\0b\r\n\r\nbody\r\n", 21)),
                 mailstore::UnreadableMessage);
    EXPECT_THROW(imapstore::ParseServerMessage("X-Long: " + std::string(mailstore::kMaxHeaderBlock, 'x') + "\r\n\r\n"),
                 mailstore::UnreadableMessage);
    // A last header line without its line end reads as one that has it.
    auto cut = imapstore::ParseServerMessage("Subject: cut short");
    EXPECT_STREQ(g_mime_message_get_subject(cut.get()), "cut short");
}

}  // namespace
