#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <thread>

#include "ProgramEnvironment.h"

namespace cli_tests {
namespace {

// Reintroduce runs with file deletion killed at random points leave every
// attachment in its message or in a file its link names with the bytes
// recorded; the catalog stays true to the disk; a last run finishes. (A kill
// between a message's rewrite and the catalog's note of it can leave that
// file behind as a copy nothing names: never an attachment lost.)
TEST(KilledReintroduceRuns, LoseNoAttachment) {
    ProgramEnvironment environment;
    const fs::path mailbox = environment.GenerateMailbox("mail", 60, 6);
    ASSERT_EQ(environment.Velmora({"install"}).exitStatus, 0);
    const fs::path saved = environment.Dir() / "saved";
    const auto before = ContentsById(mailbox);
    std::set<std::string> attachments;
    for (const auto& [id, contents] : before) attachments.insert(contents.begin(), contents.end());
    const Finished save = environment.Velmora({"save", "--mailbox", mailbox.string(), "--to", saved.string(), "--remove",
                                               "--replace", "link", "--min-size", "0", "--if-exists", "rename"});
    ASSERT_EQ(save.exitStatus, 0) << save.err;
    const std::vector<std::string> reintroduce =
        environment.VelmoraCommand({"reintroduce", "--mailbox", mailbox.string(), "--delete-files"});

    std::mt19937 random(20261208);
    constexpr int kRuns = 15;
    int killed = 0;
    for (int run = 0; run < kRuns; ++run) {
        const int lines = std::uniform_int_distribution<int>(1, 60)(random);
        const auto pause = std::chrono::microseconds(std::uniform_int_distribution<int>(0, 4000)(random));
        ChildProcess child(reintroduce);
        bool running = true;
        for (int i = 0; i < lines && running; ++i) running = child.ReadLine().has_value();
        if (running) {
            std::this_thread::sleep_for(pause);
            child.Signal(SIGKILL);
        }
        killed += child.Wait().signal == SIGKILL ? 1 : 0;

        ASSERT_EQ(ContentsById(mailbox), before) << "run " << run;
        ExpectOnlyWholeFiles(saved, attachments, run);
        const Finished check = environment.Velmora({"catalog", "check"});
        EXPECT_EQ(check.exitStatus, 0) << "run " << run << ":\n" << check.out;
    }
    EXPECT_GE(killed, kRuns / 2) << "most kills came after the run had ended";

    const Finished last = cli_tests::Run(reintroduce);
    ASSERT_EQ(last.exitStatus, 0) << last.err;
    for (const auto& [key, message] : ReadMailbox(mailbox)) EXPECT_EQ(message.links, 0) << key;
    EXPECT_EQ(ContentsById(mailbox), before);
    ExpectOnlyWholeFiles(saved, attachments, kRuns);
    EXPECT_LE(CountFiles(saved), static_cast<std::size_t>(killed));
}

}  // namespace
}  // namespace cli_tests
