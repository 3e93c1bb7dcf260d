// A process killed while it saves leaves the old message or the new one,
// whole, under the message's own name.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "MailboxFixture.h"

namespace mailstore_test {
namespace {

constexpr char kName[] = "1700000000.M1P1.host:2,S";

class CrashSafety : public MailboxTest {
protected:
    // Saves the message over and over, one and two attachments in turn, until killed.
    [[noreturn]] void SaveForever(const fs::path& file) {
        try {
            for (;;) {
                auto mail = Mail(file);
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

TEST_F(CrashSafety, KilledAtAnyPointOfASaveLeavesOneWholeMessage) {
    const std::string first = BinaryContent(400000);
    const std::string second = BinaryContent(300000).substr(3);
    platform.WriteFile(u"C:\\second.bin", second);
    const auto file = Deliver("Inbox", kName,
                              Mixed("crash", {TextPart("body"), Base64Part("application/pdf", first,
                                                                            "Content-Disposition: attachment; filename=a.pdf\n")}));
    for (int round = 0; round < 16; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) SaveForever(file);
        // Kill points spread over the phases of a save: writing, flushing, renaming.
        ::usleep(static_cast<useconds_t>(3000 + round * 2300));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving process ended by itself, status " << status;

        const auto files = FilesBelow(root / "Inbox" / "cur");
        ASSERT_EQ(files, std::vector<std::string>{kName});
        const auto contents = AttachmentBytes(file);
        ASSERT_TRUE(contents == std::vector<std::string>{first} || contents == (std::vector<std::string>{first, second}))
            << "round " << round << ": " << contents.size() << " attachments";
    }
}

}  // namespace
}  // namespace mailstore_test
