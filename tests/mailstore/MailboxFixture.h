#pragma once

#include "mailstore/Gmime.h"
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "TestPlatform.h"
#include "host/Outlook.h"
#include "mailstore/GObjectPtr.h"
#include "mailstore/Mailbox.h"

namespace mailstore_test {

namespace fs = std::filesystem;

// Literal RFC 5322 messages, as senders write them. Parts are separated by
// the boundary "=-=BOUNDARY=-="; lines end in LF, as in Maildir files.
std::string Message(std::string_view headers, std::string_view body);
std::string Mixed(std::string_view subject, const std::vector<std::string>& parts);
std::string TextPart(std::string_view text);
std::string HtmlPart(std::string_view html);
// A base64 part carrying bytes; extraHeaders (each ending in LF) go in front.
std::string Base64Part(std::string_view contentType, std::string_view bytes, std::string_view extraHeaders);
std::string Base64(std::string_view bytes);
// Every byte value, a few times over: content no text transformation leaves alone.
std::string BinaryContent(std::size_t size);

// Every part of the message in document order: its place, and for a
// multipart its type, for any other part its header fields as stored and its
// content as GMime decodes it. Boundaries are left out: they change with
// every rewrite.
std::vector<std::string> PartTree(GMimeMessage* message);

// A fresh platform (drives C: and D:, registry hives) and a mailbox directory
// beside them, opened on demand.
class MailboxTest : public ::testing::Test {
protected:
    MailboxTest();

    // Makes the Maildir folder at that path below the mailbox ("" is the root).
    fs::path Folder(std::string_view relative);
    // Writes a message file into the folder's cur/ (or new/).
    fs::path Deliver(std::string_view folder, const std::string& fileName, std::string_view text,
                     std::string_view box = "cur");

    mailstore::Mailbox& Box();
    // Where the message of that file is now, after the saves that gave it
    // new names (as the mailbox's notes tell them).
    fs::path Current(const fs::path& file);
    com::ComPtr<IUnknown> Open(const fs::path& file) { return Box().OpenMessage(file); }
    com::ComPtr<Outlook::_MailItem> Mail(const fs::path& file);

    static std::string ReadNative(const fs::path& file);
    // The file parsed again with GMime, independently of the mailbox.
    static mailstore::GObjectPtr<GMimeMessage> Reparse(const fs::path& file);
    // Every file below the directory, as relative paths, sorted.
    static std::vector<std::string> FilesBelow(const fs::path& dir);

    testing_support::TestPlatform platform;
    fs::path root;
    // The options Box() opens the mailbox with.
    mailstore::MailboxOptions boxOptions;

private:
    std::unique_ptr<mailstore::Mailbox> box_;
    std::map<fs::path, fs::path> rewritten_;
};

}  // namespace mailstore_test
