// A process killed while it saves leaves the message whole: the old file or
// the new one, or, killed between giving the new file its name and removing
// the old one, both for a moment, which listing the folder (as the next run
// does) resolves.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "MailboxFixture.h"

namespace mailstore_test {
namespace {

constexpr char kMessageId[] = "crash-1@example.org";

class CrashSafety : public MailboxTest {
protected:
    std::vector<fs::path> MessageFiles() {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(root / "Inbox" / "cur")) files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        return files;
    }

    std::vector<std::string> WorkFiles() {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(root / "Inbox" / "tmp")) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    // Saves the message over and over, one and two attachments in turn, until killed.
    [[noreturn]] void SaveForever() {
        try {
            for (;;) {
                const auto files = MessageFiles();
                if (files.size() != 1) std::_Exit(4);
                auto mail = Mail(files.front());
                auto attachments = mail->Attachments();
                if (attachments->Count() == 1) {
                    attachments->Add(u"C:\\second.bin", Outlook::olByValue, 1, u"second.bin");
                } else {
                    attachments->Remove(2);
                }
                mail->Save();
            }
        } catch (...) {
            std::_Exit(3);
        }
    }

    std::vector<std::string> AttachmentBytes(const fs::path& file) {
        std::vector<std::string> contents;
        auto attachments = Mail(file)->Attachments();
        for (std::int32_t i = 1; i <= attachments->Count(); ++i) {
            attachments->Item(i)->SaveAsFile(u"C:\\check.bin");
            contents.push_back(platform.ReadFile(u"C:\\check.bin"));
        }
        return contents;
    }
};

TEST_F(CrashSafety, KilledAtAnyPointOfASaveLeavesTheMessageWhole) {
    const std::string first = BinaryContent(400000);
    const std::string second = BinaryContent(300000).substr(3);
    platform.WriteFile(u"C:\\second.bin", second);
    Deliver("Inbox", "1700000000.M1P1.host:2,S",
            "Message-ID: <" + std::string(kMessageId) + ">\n" +
                Mixed("crash", {TextPart("body"), Base64Part("application/pdf", first,
                                                             "Content-Disposition: attachment; filename=a.pdf\n")}));
    for (int round = 0; round < 16; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) SaveForever();
        // Kill points spread over the phases of a save: writing, flushing, linking, removing.
        ::usleep(static_cast<useconds_t>(3000 + round * 2300));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving process ended by itself, status " << status;

        const auto files = MessageFiles();
        ASSERT_TRUE(files.size() == 1 || files.size() == 2) << "round " << round << ": " << files.size() << " files";
        // The new file of an unfinished replacement is linked in tmp/ too.
        fs::path survivor = files.front();
        for (const auto& file : files) {
            if (fs::hard_link_count(file) > 1) survivor = file;
            auto parsed = Reparse(file);
            ASSERT_TRUE(parsed) << file;
            EXPECT_STREQ(g_mime_message_get_message_id(parsed.get()), kMessageId) << file;
            const auto contents = AttachmentBytes(file);
            ASSERT_TRUE(contents == std::vector<std::string>{first} ||
                        contents == (std::vector<std::string>{first, second}))
                << "round " << round << ": " << contents.size() << " attachments in " << file;
        }
        // What the next run sees: one message, and no work file of the killed one.
        EXPECT_EQ(Box().FindFolder(u"Inbox")->Items()->Count(), 1) << "round " << round;
        ASSERT_EQ(MessageFiles().size(), 1u) << "round " << round;
        EXPECT_TRUE(WorkFiles().empty()) << "round " << round << ": " << WorkFiles().front();
        EXPECT_EQ(MessageFiles().front(), survivor) << "round " << round;
    }
}

}  // namespace
}  // namespace mailstore_test
