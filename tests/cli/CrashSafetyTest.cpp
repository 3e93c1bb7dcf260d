#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <thread>

#include "ProgramEnvironment.h"
#include "mailstore/Mailbox.h"

namespace cli_tests {
namespace {

// Lists every folder of the mailbox, as a run does before it works on a
// folder's messages: a message whose replacement a killed run left unfinished
// is then there once, under its new file.
void ListEveryFolder(Outlook::MAPIFolder& folder) {
    folder.Items();
    auto folders = folder.Folders();
    for (std::int32_t i = 1; i <= folders->Count(); ++i) ListEveryFolder(*folders->Item(i));
}

// A save run with removal killed at random points (after a random number of
// log lines and a random pause) leaves every attachment either in its message
// or in a file with the same bytes that a link of that message names, no
// file under a real name but whole ones, and a catalog true to the disk;
// runs after it go on from there, and a last one finishes the work.
TEST(KilledSaveRuns, LoseNoAttachment) {
    ProgramEnvironment environment;
    const fs::path mailbox = environment.GenerateMailbox("mail", 60, 6, environment.Dir() / "earlier");
    ASSERT_EQ(environment.Velmora({"install"}).exitStatus, 0);
    const fs::path saved = environment.Dir() / "saved";
    const MailboxContents before = ReadMailbox(mailbox);
    std::set<std::string> attachments;
    for (const auto& [key, message] : before) attachments.insert(message.contents.begin(), message.contents.end());
    const std::vector<std::string> save = environment.VelmoraCommand(
        {"save", "--mailbox", mailbox.string(), "--to", saved.string(), "--remove",
         "--replace", "link", "--min-size", "0", "--if-exists", "rename"});

    std::mt19937 random(20231208);
    constexpr int kRuns = 30;
    int killed = 0;
    for (int run = 0; run < kRuns; ++run) {
        const int lines = std::uniform_int_distribution<int>(1, 90)(random);
        const auto pause = std::chrono::microseconds(std::uniform_int_distribution<int>(0, 4000)(random));
        ChildProcess child(save);
        bool running = true;
        for (int i = 0; i < lines && running; ++i) running = child.ReadLine().has_value();
        if (running) {
            std::this_thread::sleep_for(pause);
            child.Signal(SIGKILL);
        }
        const Finished finished = child.Wait();
        killed += finished.signal == SIGKILL ? 1 : 0;
        ListEveryFolder(*mailstore::Mailbox::Open(mailbox)->RootFolder());

        const MailboxContents after = ReadMailbox(mailbox);
        ASSERT_EQ(after.size(), before.size()) << "run " << run << ": a message file is gone or doubled";
        for (const auto& [key, message] : before) {
            ASSERT_TRUE(after.contains(key)) << "run " << run << ": " << key << " is gone";
            EXPECT_EQ(after.at(key).contents, message.contents) << "run " << run << ": " << key;
        }
        ExpectOnlyWholeFiles(saved, attachments, run);
        const Finished check = environment.Velmora({"catalog", "check"});
        EXPECT_EQ(check.exitStatus, 0) << "run " << run << ":\n" << check.out;
    }
    EXPECT_GE(killed, kRuns / 2) << "most kills came after the run had ended";

    const Finished last = cli_tests::Run(save);
    ASSERT_EQ(last.exitStatus, 0) << last.err;
    const MailboxContents done = ReadMailbox(mailbox);
    for (const auto& [key, message] : before) {
        EXPECT_EQ(done.at(key).contents, message.contents) << key;
        for (const auto& name : done.at(key).names) {
            EXPECT_TRUE(name == u"image001.png" || name == u"image002.jpg" || name == u"shortcut.lnk") << key;
        }
    }
}

}  // namespace
}  // namespace cli_tests
