// Transfer encodings undone as mail readers undo them, with damage reported
// rather than hidden; checked against Python's decoders.
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "MailboxFixture.h"
#include "mailstore/Base64Decoder.h"
#include "mapi/MapiGuid.h"
#include "mapi/MapiTags.h"

namespace mailstore_test {
namespace {

// Decodes the file's text as a reader does: each run of base64 up to and
// including its padding on its own (missing padding added), characters
// outside the alphabet left out.
constexpr std::string_view kBase64Reference = R"(import base64, re, sys
data = re.sub(rb'[^A-Za-z0-9+/=]', b'', open(sys.argv[1], 'rb').read())
runs = re.findall(rb'[^=]+=*', data)
sys.stdout.buffer.write(b''.join(base64.b64decode(run + b'=' * (-len(run) % 4)) for run in runs))
)";
constexpr std::string_view kQuotedPrintableReference = R"(import quopri, sys
sys.stdout.buffer.write(quopri.decodestring(open(sys.argv[1], 'rb').read()))
)";
constexpr std::string_view kUuencodeReference = R"(import binascii, sys
lines = open(sys.argv[1], 'rb').read().split(b'\n')
body = lines[lines.index(next(l for l in lines if l.startswith(b'begin '))) + 1:]
sys.stdout.buffer.write(b''.join(binascii.a2b_uu(l) for l in body[:body.index(b'end')]))
)";

class StringSink final : public host::OutputStream {
public:
    void Write(const void* data, std::size_t size) override { bytes.append(static_cast<const char*>(data), size); }
    void Commit() override {}
    std::string bytes;
};

class Decoding : public MailboxTest {
protected:
    // What the Python script writes for the text.
    std::string Python(std::string_view script, std::string_view text) {
        const fs::path scriptFile = platform.Root() / "reference.py";
        const fs::path textFile = platform.Root() / "encoded.txt";
        std::ofstream(scriptFile, std::ios::binary) << script;
        std::ofstream(textFile, std::ios::binary) << text;
        const std::string command = "python3 '" + scriptFile.string() + "' '" + textFile.string() + "'";
        FILE* pipe = ::popen(command.c_str(), "r");
        if (pipe == nullptr) throw std::runtime_error("cannot run python3");
        std::string output;
        char buffer[4096];
        while (const std::size_t read = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, read);
        if (::pclose(pipe) != 0) throw std::runtime_error("python3 failed on " + std::string(text.substr(0, 40)));
        return output;
    }

    // A message with one attachment whose content is stored as given.
    com::ComPtr<Outlook::Attachment> Stored(std::string_view encoding, std::string_view text) {
        const auto file = Deliver("", "m" + std::to_string(++messages_),
                                  Mixed("encoded", {TextPart("body"),
                                                    "Content-Type: application/octet-stream\n"
                                                    "Content-Disposition: attachment; filename=a.bin\n"
                                                    "Content-Transfer-Encoding: " + std::string(encoding) + "\n\n" +
                                                        std::string(text)}));
        return Mail(file)->Attachments()->Item(1);
    }

    static std::string Written(Outlook::Attachment& attachment) {
        StringSink sink;
        attachment.SaveToStream(sink);
        return sink.bytes;
    }

    // PR_ATTACH_SIZE as the engine's size filter reads it.
    static LONG Size(Outlook::Attachment& attachment) {
        auto properties = attachment.MAPIOBJECT().As<IAttachment>();
        SPropTagArray tags{1, {PR_ATTACH_SIZE}};
        ULONG count = 0;
        LPSPropValue values = nullptr;
        const HRESULT result = properties->GetProps(&tags, 0, &count, &values);
        const LONG size = result == S_OK ? values[0].Value.l : -1;
        std::free(values);
        return size;
    }

private:
    int messages_ = 0;
};

TEST_F(Decoding, Base64EncodedInPaddedChunksDecodesInFull) {
    const std::string bytes = BinaryContent(40000);
    std::string encoded;
    for (std::size_t at = 0; at < bytes.size(); at += 50) encoded += Base64(bytes.substr(at, 50));
    // One long run, broken into lines anywhere, padding in the middle of them.
    std::string text;
    std::erase(encoded, '\n');
    for (std::size_t at = 0; at < encoded.size(); at += 76) text += encoded.substr(at, 76) + "\r\n";

    EXPECT_EQ(Python(kBase64Reference, text), bytes);
    // The size is counted before anything is decoded.
    EXPECT_EQ(Size(*Stored("base64", text)), 40000);
    auto attachment = Stored("base64", text);
    EXPECT_EQ(Written(*attachment), bytes);
    EXPECT_TRUE(attachment->ContentIntact());
}

// The text fed in pieces of the given size, as chunks of a stored part come.
std::pair<std::string, bool> DecodedInPieces(std::string_view text, std::size_t piece) {
    mailstore::Base64Decoder decoder;
    std::string decoded;
    const auto append = [&decoded](char c) { decoded += c; };
    for (std::size_t at = 0; at < text.size(); at += piece) decoder.Feed(text.substr(at, piece), append);
    decoder.Finish(append);
    return {decoded, decoder.Damaged()};
}

TEST(Base64Pieces, WhereAChunkEndsChangesNothing) {
    const std::string bytes = BinaryContent(3000);
    std::string text;
    for (std::size_t at = 0; at < bytes.size(); at += 7) text += Base64(bytes.substr(at, 7)) + " \r\n";
    const std::string damaged = "QQ=REVG" + text + "Q";
    for (const std::size_t piece : {1u, 2u, 3u, 5u, 64u, 4096u}) {
        EXPECT_EQ(DecodedInPieces(text, piece), std::pair(bytes, false)) << piece;
        EXPECT_EQ(DecodedInPieces(damaged, piece), std::pair("ADEF" + bytes, true)) << piece;
    }
}

TEST_F(Decoding, Base64ThatReadersAgreeOnIsIntact) {
    for (const std::string text :
         {"QUJD\nREVG\n", "QQ==QUI=\nQUJD", "QUI=REVG", "QU JD\r\n\tREVG\r\n", "QUI", "QQ=", "QUJD\nRA==\n\n"}) {
        auto attachment = Stored("base64", text);
        const std::string written = Written(*attachment);
        EXPECT_EQ(written, Python(kBase64Reference, text)) << text;
        EXPECT_TRUE(attachment->ContentIntact()) << text;
        EXPECT_EQ(Size(*Stored("base64", text)), static_cast<LONG>(written.size())) << text;
    }
}

TEST_F(Decoding, Base64ThatReadersMayReadEachTheirOwnWayIsDamaged) {
    // Outside the alphabet; no text at all; padding cut short before the next
    // group; a last character alone; padding that ends no group.
    for (const std::string text :
         {"QUJD!!!!REVG\n", "!!!!garbage###\n", "QQ=REVG\n", "QUJDR\n", "QUJD=REVG\n", "=\n"}) {
        auto attachment = Stored("base64", text);
        const std::string written = Written(*attachment);
        EXPECT_FALSE(attachment->ContentIntact()) << text;
        // Found damaged also without a write before.
        EXPECT_FALSE(Stored("base64", text)->ContentIntact()) << text;
        EXPECT_EQ(Size(*Stored("base64", text)), static_cast<LONG>(written.size())) << text;
    }
    // What can be decoded still is.
    EXPECT_EQ(Written(*Stored("base64", "QUJD!!!!REVG\n")), "ABCDEF");
    EXPECT_EQ(Written(*Stored("base64", "QQ=REVG\n")), "ADEF");
}

TEST_F(Decoding, QuotedPrintableIsDamagedWhereAnEqualsSignStartsNothing) {
    for (const std::string text :
         {"Caf=C3=A9 =3d 100%=\n sure=20\r\nend", "soft break with blanks= \t\nnext\n", "ends in =\n"}) {
        auto attachment = Stored("quoted-printable", text);
        const std::string written = Written(*attachment);
        EXPECT_EQ(written, Python(kQuotedPrintableReference, text)) << text;
        EXPECT_TRUE(attachment->ContentIntact()) << text;
        EXPECT_EQ(Size(*Stored("quoted-printable", text)), static_cast<LONG>(written.size())) << text;
    }
    for (const std::string text : {"price =G1 today\n", "half a byte =4", "=\rlone carriage return\n", "== twice\n"}) {
        auto attachment = Stored("quoted-printable", text);
        Written(*attachment);
        EXPECT_FALSE(attachment->ContentIntact()) << text;
        EXPECT_FALSE(Stored("quoted-printable", text)->ContentIntact()) << text;
    }
}

TEST_F(Decoding, UuencodeNeedsItsBeginAndEndLines) {
    const std::string whole = "begin 644 a.txt\n#86)C\n#9&5F\n`\nend\n";
    auto attachment = Stored("x-uuencode", whole);
    const std::string written = Written(*attachment);
    EXPECT_EQ(written, Python(kUuencodeReference, whole));
    EXPECT_EQ(written, "abcdef");
    EXPECT_TRUE(attachment->ContentIntact());
    EXPECT_EQ(Size(*Stored("x-uuencode", whole)), 6);

    for (const std::string text : {"begin 644 a.txt\n#86)C\n", "#86)C\n`\nend\n", "begin 644 a.txt\n#86)C\nending\n"}) {
        auto damaged = Stored("x-uuencode", text);
        Written(*damaged);
        EXPECT_FALSE(damaged->ContentIntact()) << text;
    }
}

}  // namespace
}  // namespace mailstore_test
