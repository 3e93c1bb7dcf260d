#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <sstream>

#include "ParsedMessage.h"
#include "ProgramEnvironment.h"
#include "base/Utf16.h"
#include "posix/registry/SqliteRegistry.h"

namespace cli_tests {
namespace {

using velmora::FromUtf8;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// The message file whose Subject header is this one.
fs::path MessageWithSubject(const fs::path& mailbox, const std::string& subject) {
    for (const auto& entry : fs::recursive_directory_iterator(mailbox)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path());
        for (std::string line; std::getline(in, line) && !line.empty();) {
            if (line == "Subject: " + subject) return entry.path();
        }
    }
    throw std::runtime_error("no message " + subject);
}

// The key ReadMailbox gives the message of this subject.
std::string KeyOf(const fs::path& mailbox, const std::string& subject) {
    const fs::path file = MessageWithSubject(mailbox, subject);
    return fs::relative(file.parent_path().parent_path(), mailbox).string() + "/" + ParsedMessageId(file);
}

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The Windows form the program gives a native directory, with the final backslash.
std::u16string WindowsDirectory(const fs::path& native) {
    std::u16string path = u"Z:" + FromUtf8(native.string()) + u"\\";
    for (auto& c : path) c = c == u'/' ? u'\\' : c;
    return path;
}

class Program : public testing::Test {
protected:
    void Install() {
        const Finished installed = environment_.Velmora({"install"});
        ASSERT_EQ(installed.exitStatus, 0) << installed.err;
        ASSERT_TRUE(Contains(installed.out, "for every user of this machine")) << installed.out;
    }

    ProgramEnvironment environment_;
};

TEST_F(Program, FailuresExitNonZeroAndSayWhy) {
    const fs::path mailbox = environment_.GenerateMailbox("mail", 25, 0.5);
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"save", "--mailbox", (environment_.Dir() / "missing").string()}, 1, "is not a mailbox"},
        {{"save", "--mailbox", mailbox.string()}, 1, "has no value MAPI"},
        {{"save", "--mailbox", mailbox.string()}, 1, "Run \"velmora install\""},
        {{"reintroduce", "--mailbox", mailbox.string(), "--folder", "Inbox/Nowhere"}, 1, "No folder \"Inbox/Nowhere\""},
        {{"reroot", "--mailbox", mailbox.string(), "--new-root", "  "}, 2, "--new-root: A directory name of blanks"},
        {{"save", "--mailbox", mailbox.string(), "--to", "   ", "--without-mapi"}, 2, "--to: A directory name"},
        {{"reintroduce", "--mailbox", mailbox.string(), MessageWithSubject(mailbox, "Contact: Jordan Sample")}, 1,
         "No message selected."},
        {{"reintroduce", "--mailbox", mailbox.string(), "--bogus"}, 2, "--bogus"},
    };
    for (const auto& [arguments, status, message] : cases) {
        const Finished run = environment_.Velmora(arguments);
        EXPECT_EQ(run.exitStatus, status) << arguments[0] << " " << arguments.back();
        EXPECT_TRUE(Contains(run.err, message)) << run.err;
    }
    const Finished contact = environment_.Velmora(
        {"reintroduce", "--mailbox", mailbox.string(), MessageWithSubject(mailbox, "Contact: Jordan Sample")});
    EXPECT_TRUE(Contains(contact.err, "not a mail message, appointment, meeting request or task")) << contact.err;
}

TEST_F(Program, ErrorsShowTheControlCharactersOfNamesEscaped) {
    const fs::path mailbox = environment_.GenerateMailbox("mail", 25, 0.5);
    const Finished folder =
        environment_.Velmora({"reintroduce", "--mailbox", mailbox.string(), "--folder", "Inbox\x1b[2J\a"});
    EXPECT_EQ(folder.exitStatus, 1);
    EXPECT_TRUE(Contains(folder.err, "No folder \"Inbox\\x1b[2J\\x07\"")) << folder.err;

    const std::string forged = (mailbox / "cur" / "x\nvelmora: Done.\x1b]0;t\x07").string();
    const Finished selection = environment_.Velmora({"reintroduce", "--mailbox", mailbox.string(), forged});
    EXPECT_EQ(selection.exitStatus, 1);
    EXPECT_TRUE(Contains(selection.err, "velmora: Skipping " + mailbox.string() +
                                            "/cur/x\\nvelmora: Done.\\x1b]0;t\\x07: not a message file"))
        << selection.err;
    for (const std::string& err : {folder.err, selection.err}) {
        EXPECT_EQ(err.find_first_of("\x1b\a\r"), std::string::npos);
        // Every line is one of the program's own.
        EXPECT_EQ(Occurrences(err, "\n"), Occurrences("\n" + err, "\nvelmora: "));
    }
}

TEST_F(Program, SaveRerootAndReintroduceGiveEveryByteBack) {
    const fs::path earlier = environment_.Dir() / "earlier";
    const fs::path mailbox = environment_.GenerateMailbox("mail", 40, 3, earlier);
    const fs::path saved = environment_.Dir() / "saved files";
    const fs::path moved = environment_.Dir() / "moved";
    Install();
    const MailboxContents before = ReadMailbox(mailbox);
    ASSERT_EQ(before.size(), 40u);

    const Finished save = environment_.Velmora({"save", "--mailbox", mailbox.string(), "--to", saved.string(),
                                                "--remove", "--replace", "link", "--min-size", "0"});
    ASSERT_EQ(save.exitStatus, 0) << save.err;
    EXPECT_EQ(save.err, "");
    EXPECT_TRUE(Contains(save.out, "== FINISHED ==\n  16 folders processed\n  39 messages processed\n"));
    const MailboxContents afterSave = ReadMailbox(mailbox);
    std::size_t newLinks = 0;
    for (const auto& [key, message] : before) {
        const MessageContents& now = afterSave.at(key);
        EXPECT_EQ(now.messageId, message.messageId) << key;
        EXPECT_EQ(now.contents, message.contents) << key;
        for (const auto& name : now.names) {
            EXPECT_TRUE(name == u"image001.png" || name == u"image002.jpg" || name == u"shortcut.lnk")
                << key << ": " << velmora::ToUtf8(name) << " was not taken out";
        }
        // A new link stands where its attachment stood; the links the message had keep their paths.
        for (const auto& path : now.linkPaths) {
            const bool earlier = std::find(message.linkPaths.begin(), message.linkPaths.end(), path) != message.linkPaths.end();
            EXPECT_TRUE(earlier || path.rfind(WindowsDirectory(saved), 0) == 0) << velmora::ToUtf8(path);
        }
        newLinks += static_cast<std::size_t>(now.links - message.links);
    }
    EXPECT_GT(newLinks, 40u);
    EXPECT_EQ(newLinks, Occurrences(save.out, "Attachment saved as") + Occurrences(save.out, "Identical file found"));

    const Finished reroot = environment_.Velmora(
        {"reroot", "--mailbox", mailbox.string(), "--old-root", saved.string(), "--new-root", moved.string()});
    ASSERT_EQ(reroot.exitStatus, 0) << reroot.err;
    EXPECT_EQ(CountFiles(saved), 0u);
    EXPECT_GT(CountFiles(moved), 0u);
    const MailboxContents afterReRoot = ReadMailbox(mailbox);
    for (const auto& [key, message] : before) {
        const MessageContents& now = afterReRoot.at(key);
        EXPECT_EQ(now.contents, message.contents) << key;
        for (const auto& path : now.linkPaths) {
            EXPECT_NE(path.rfind(WindowsDirectory(saved), 0), 0u) << velmora::ToUtf8(path) << " still points there";
        }
    }

    const Finished reintroduce = environment_.Velmora({"reintroduce", "--mailbox", mailbox.string(), "--delete-files"});
    ASSERT_EQ(reintroduce.exitStatus, 0) << reintroduce.err;
    EXPECT_EQ(CountFiles(moved), 0u);
    EXPECT_EQ(CountFiles(earlier), 1u);  // the file of a link the sample had already
    const MailboxContents afterReintroduce = ReadMailbox(mailbox);
    for (const auto& [key, message] : before) {
        const MessageContents& now = afterReintroduce.at(key);
        EXPECT_EQ(now.contents, message.contents) << key;
        EXPECT_EQ(now.byValue, message.byValue) << key;
        EXPECT_EQ(now.links, message.links) << key;
    }
}

TEST_F(Program, BodyReferenceOnAnHtmlOnlyMessageGivenAsAFile) {
    const fs::path mailbox = environment_.GenerateMailbox("mail", 25, 0.5);
    const fs::path message = MessageWithSubject(mailbox, "HTML only, with a spreadsheet");
    const std::string key = KeyOf(mailbox, "HTML only, with a spreadsheet");
    const fs::path saved = environment_.Dir() / "saved";
    Install();
    const MessageContents before = ReadMailbox(mailbox).at(key);
    ASSERT_EQ(before.names, std::vector<std::u16string>{u"plan.xlsx"});

    const Finished save = environment_.Velmora({"save", "--mailbox", mailbox.string(), "--to", saved.string(),
                                                "--remove", "--replace", "body", "--no-folder-dirs",
                                                message.string()});
    ASSERT_EQ(save.exitStatus, 0) << save.err;
    EXPECT_EQ(FileFingerprint(saved / "plan.xlsx"), *before.contents.begin());
    const MessageContents after = ReadMailbox(mailbox).at(key);
    EXPECT_EQ(after.byValue + after.links, 0);
    // A file URI of the native path, which readers on this machine open.
    const std::u16string reference =
        u"Attachment extracted: <file://" + velmora::FromUtf8((saved / "plan.xlsx").string()) + u">\r\n\r\n";
    EXPECT_EQ(after.body.substr(0, reference.size()), reference) << velmora::ToUtf8(after.body);
    // An HTML-only message shows the reference in its HTML too.
    EXPECT_TRUE(Contains(ReadFile(MessageWithSubject(mailbox, "HTML only, with a spreadsheet")),
                         "Attachment extracted: &lt;<a href=\"file://"));
}

TEST_F(Program, TheQuestionIsAnsweredOnTheTerminal) {
    const fs::path mailbox = environment_.GenerateMailbox("mail", 25, 0.5);
    const std::string message = MessageWithSubject(mailbox, "Same names in one message").string();
    Install();
    const auto save = [&](const fs::path& target, const std::string& input) {
        return environment_.Velmora({"save", "--mailbox", mailbox.string(), "--to", target.string(), "--no-remove",
                                     "--min-size", "0", "--if-exists", "ask", "--no-folder-dirs", message},
                                    input);
    };
    // Scan.PDF, then scan.pdf twice (other bytes): each meets the first file, of the same name but for its case.
    const fs::path answered = environment_.Dir() / "answered";
    const Finished run = save(answered, "n\ny\n");
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(Occurrences(run.out, "already exists on the folder\n"), 2u) << run.out;
    EXPECT_EQ(Occurrences(run.out, "[y]es/[n]o/n[o] to all/yes to [a]ll? "), 2u);
    EXPECT_TRUE(Contains(run.out, "Attachment renamed to " + velmora::ToUtf8(WindowsDirectory(answered)) +
                                      "scan(1).pdf."));
    EXPECT_TRUE(Contains(run.out, "Overwriting."));
    EXPECT_EQ(CountFiles(answered), 2u);

    const fs::path endOfInput = environment_.Dir() / "end of input";
    const Finished unanswered = save(endOfInput, "");
    ASSERT_EQ(unanswered.exitStatus, 0) << unanswered.err;
    EXPECT_EQ(Occurrences(unanswered.out, "Attachment renamed to"), 2u) << unanswered.out;
    EXPECT_EQ(CountFiles(endOfInput), 3u);

    const fs::path yesToAll = environment_.Dir() / "yes to all";
    const Finished all = save(yesToAll, "a\n");
    ASSERT_EQ(all.exitStatus, 0) << all.err;
    EXPECT_EQ(Occurrences(all.out, "already exists on the folder\n"), 1u) << all.out;
    EXPECT_EQ(Occurrences(all.out, "Overwriting."), 2u);
    EXPECT_EQ(CountFiles(yesToAll), 1u);
}

TEST_F(Program, OptionsAreStoredOnlyWhenAsked) {
    const fs::path mailbox = environment_.GenerateMailbox("mail", 25, 0.5);
    const fs::path target = environment_.Dir() / "stored target";
    const std::vector<std::string> options = {"save", "--mailbox", mailbox.string(), "--folder", "contacts",
                                              "--to", target.string(), "--min-size", "0", "--if-exists",
                                              "overwrite", "--no-remove", "--without-mapi"};
    posix::SqliteRegistry registry(posix::HiveFiles{environment_.UserHive(), environment_.Dir() / "m.db"});
    const auto stored = [&](const char16_t* name) {
        return registry.QueryValue(host::RegistryRoot::CurrentUser, u"Software\\Ondrel\\Velmora", name);
    };

    ASSERT_EQ(environment_.Velmora(options).exitStatus, 0);
    EXPECT_FALSE(stored(u"LastToDir"));
    EXPECT_FALSE(stored(u"SaveOnlyBiggerThan"));

    std::vector<std::string> storing = options;
    storing.push_back("--store-settings");
    const Finished run = environment_.Velmora(storing);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(stored(u"LastToDir"), host::RegistryValue::OfString(WindowsDirectory(target).substr(
                                        0, WindowsDirectory(target).size() - 1)));
    EXPECT_EQ(stored(u"SaveOnlyBiggerThan"), host::RegistryValue::OfDword(0));
    EXPECT_EQ(stored(u"IfFileExists"), host::RegistryValue::OfDword(1));
    EXPECT_EQ(stored(u"LastRemoveAfterSaving"), host::RegistryValue::OfDword(0));
    EXPECT_FALSE(stored(u"ProcessOption"));  // save: the default, which is never stored

    // A later run takes the stored options: into the stored directory, small files too, nothing removed.
    Install();
    const Finished later = environment_.Velmora({"save", "--mailbox", mailbox.string(), "--folder", "Projects"});
    ASSERT_EQ(later.exitStatus, 0) << later.err;
    EXPECT_TRUE(fs::exists(target / "Projects" / "plan.xlsx")) << later.out;
    EXPECT_TRUE(fs::exists(target / "Projects" / "notes.txt"));
    EXPECT_EQ(ReadMailbox(mailbox).at(KeyOf(mailbox, "HTML only, with a spreadsheet")).byValue, 1);
}

TEST_F(Program, CtrlCCancelsAfterTheCurrentAttachment) {
    const fs::path mailbox = environment_.GenerateMailbox("mail", 150, 12);
    Install();
    const MailboxContents before = ReadMailbox(mailbox);
    ChildProcess run(environment_.VelmoraCommand({"save", "--mailbox", mailbox.string(), "--to",
                                                  (environment_.Dir() / "saved").string(), "--remove",
                                                  "--min-size", "0"}));
    for (auto line = run.ReadLine(); line && !Contains(*line, "Processing att."); line = run.ReadLine()) {
    }
    run.Signal(SIGINT);
    const Finished cancelled = run.Wait();
    EXPECT_EQ(cancelled.exitStatus, 130) << cancelled.err;
    EXPECT_TRUE(Contains(cancelled.err, "Cancelling after the current attachment"));
    EXPECT_TRUE(Contains(cancelled.err, "velmora: Cancelled."));
    EXPECT_TRUE(Contains(cancelled.out, "== FINISHED ==\n"));
    const MailboxContents after = ReadMailbox(mailbox);
    int untouched = 0;
    for (const auto& [key, message] : before) {
        EXPECT_EQ(after.at(key).contents, message.contents) << key;
        untouched += after.at(key).links == message.links && message.byValue > 1 ? 1 : 0;
    }
    EXPECT_GT(untouched, 10) << "the run went on after Ctrl-C";
}

}  // namespace
}  // namespace cli_tests
