#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "DriveFixture.h"
#include "HangGuard.h"
#include "base/Utf16.h"
#include "host/HostError.h"
#include "posix/system/FlockRunLocks.h"

namespace fs = std::filesystem;
using posix_tests::DriveFixture;

namespace {

// Another process that takes locks when asked. Requests are a letter and
// a Windows path on a line:
//   n <path>  take the directory's lock without waiting, answer S (taken and released) or L (locked elsewhere)
//   w <path>  the same waiting: W when told to wait, then S
//   m         the mailbox's lock alone, without waiting: S or L
//   h <path>  take it and hold it until the next request: S or L
//   M         the same with the mailbox's lock
// Any other failure answers E.
class LockProbe {
public:
    LockProbe(posix::WindowsFileSystem& files, const fs::path& mailboxLock, const fs::path& lockDirectory) {
        int requests[2];
        int replies[2];
        EXPECT_EQ(pipe(requests), 0);
        EXPECT_EQ(pipe(replies), 0);
        child_ = fork();
        if (child_ == 0) {
            close(requests[1]);
            close(replies[0]);
            Serve(files, mailboxLock, lockDirectory, requests[0], replies[1]);
            _exit(0);
        }
        close(requests[0]);
        close(replies[1]);
        requests_ = requests[1];
        replies_ = replies[0];
    }
    ~LockProbe() {
        close(requests_);
        int status = 0;
        waitpid(child_, &status, 0);
        close(replies_);
    }
    LockProbe(const LockProbe&) = delete;
    LockProbe& operator=(const LockProbe&) = delete;

    void Send(const std::string& request) {
        const std::string line = request + "\n";
        EXPECT_EQ(write(requests_, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    }
    char Reply() {
        char reply = '?';
        EXPECT_EQ(read(replies_, &reply, 1), 1);
        return reply;
    }
    char Ask(const std::string& request) {
        Send(request);
        return Reply();
    }

private:
    static void Serve(posix::WindowsFileSystem& files, const fs::path& mailboxLock, const fs::path& lockDirectory,
                      int requests, int replies) {
        const auto answer = [replies](char reply) {
            if (write(replies, &reply, 1) != 1) _exit(1);
        };
        std::unique_ptr<host::RunLocks::Lease> held;
        std::string line;
        char c = 0;
        while (read(requests, &c, 1) == 1) {
            if (c != '\n') {
                line += c;
                continue;
            }
            held.reset();
            const char mode = line.at(0);
            const std::u16string path = line.size() > 2 ? velmora::FromUtf8(line.substr(2)) : std::u16string();
            line.clear();
            std::vector<posix::StoreLock> storeLocks;
            if (mode == 'm' || mode == 'M') storeLocks.push_back({mailboxLock, {}});
            posix::FlockRunLocks locks(files, storeLocks, lockDirectory,
                                       {mode == 'w', [&](const std::u16string&) { answer('W'); }});
            try {
                auto lease = locks.Acquire(path.empty() ? std::vector<std::u16string>{}
                                                        : std::vector<std::u16string>{path});
                if (mode == 'h' || mode == 'M') held = std::move(lease);
                answer('S');
            } catch (const host::HostError& error) {
                answer(error.Code() == HRESULT_FROM_WIN32(ERROR_LOCK_VIOLATION) ? 'L' : 'E');
            }
        }
    }

    pid_t child_ = -1;
    int requests_ = -1;
    int replies_ = -1;
};

class RunLocksTest : public DriveFixture {
protected:
    RunLocksTest() {
        fs::create_directories(C() / "Target");
        fs::create_directories(C() / "Other");
        fs::create_directories(Mailbox());
    }

    fs::path Mailbox() const { return temp.Path() / "mailbox"; }
    fs::path MailboxLock() const { return Mailbox() / ".velmora.lock"; }
    fs::path LockDirectory() const { return temp.Path() / "config" / "velmora" / "locks"; }

    posix::FlockRunLocks Locks(bool wait = false) {
        return posix::FlockRunLocks(files, {{MailboxLock(), {}}}, LockDirectory(),
                                    {wait, [this](const std::u16string& path) { waitedFor.push_back(path); }});
    }

    // The message of the HostError (ERROR_LOCK_VIOLATION) that Acquire throws, or what went wrong instead.
    std::u16string LockFailure(posix::FlockRunLocks& locks, const std::vector<std::u16string>& directories) {
        try {
            locks.Acquire(directories);
        } catch (const host::HostError& error) {
            if (error.Code() == HRESULT_FROM_WIN32(ERROR_LOCK_VIOLATION)) return error.Message();
            return u"another error: " + error.Message();
        }
        return u"no failure";
    }

    posix_tests::HangGuard guard;
    posix::WindowsFileSystem files{drives};
    // Forked before this process takes any lock: a child forked later would share them.
    LockProbe probe{files, MailboxLock(), LockDirectory()};
    std::vector<std::u16string> waitedFor;
};

}  // namespace

TEST_F(RunLocksTest, ASecondProcessFailsAtOnceWithoutWaitingAndWaitsWhenAllowed) {
    posix::FlockRunLocks locks = Locks();
    auto lease = locks.Acquire({u"c:\\TARGET\\"});
    EXPECT_TRUE(fs::is_directory(LockDirectory()));
    EXPECT_TRUE(fs::exists(LockDirectory() / posix::FlockRunLocks::TargetLockName(C() / "Target")));

    EXPECT_EQ(probe.Ask("n C:\\Target"), 'L');
    EXPECT_EQ(probe.Ask("m"), 'L');  // the mailbox is locked too
    EXPECT_EQ(probe.Ask("n C:\\Other"), 'S');

    probe.Send("w C:\\Target");
    EXPECT_EQ(probe.Reply(), 'W');
    lease.reset();
    EXPECT_EQ(probe.Reply(), 'S');
    EXPECT_EQ(probe.Ask("m"), 'S');
}

TEST_F(RunLocksTest, EverySpellingOfADirectoryIsTheSameLock) {
    fs::create_directory_symlink(C() / "Target", C() / "Alias");
    posix::FlockRunLocks locks = Locks();
    auto lease = locks.Acquire({u"C:\\Target"});
    for (const char* spelling : {"c:\\target", "C:\\Other\\..\\Target\\.", "C:\\alias", "C:/TARGET/"}) {
        EXPECT_EQ(probe.Ask(std::string("n ") + spelling), 'L') << spelling;
    }
    EXPECT_EQ(probe.Ask("n C:\\Target\\Sub"), 'S');  // a directory below is another root
    EXPECT_EQ(probe.Ask("n C:\\Missing\\Yet"), 'S');
}

TEST_F(RunLocksTest, AFailedAcquireNamesWhatIsLockedAndKeepsNothing) {
    // The lock taken first (in lock file order) must be let go when a later one fails.
    const bool otherFirst = posix::FlockRunLocks::TargetLockName(C() / "Other") <
                            posix::FlockRunLocks::TargetLockName(C() / "Target");
    const std::string busy = otherFirst ? "C:\\Target" : "C:\\Other";
    const std::string free = otherFirst ? "C:\\Other" : "C:\\Target";
    ASSERT_EQ(probe.Ask("h " + busy), 'S');

    posix::FlockRunLocks locks = Locks();
    EXPECT_EQ(LockFailure(locks, {u"C:\\Target", u"C:\\Other"}),
              u"Another run of Velmora is working on " + velmora::FromUtf8(busy) + u".");
    EXPECT_TRUE(waitedFor.empty());
    EXPECT_EQ(probe.Ask("m"), 'S');
    EXPECT_EQ(probe.Ask("n " + free), 'S');

    ASSERT_EQ(probe.Ask("M"), 'S');
    EXPECT_EQ(LockFailure(locks, {}),
              u"Another run of Velmora is working on " + velmora::FromUtf8(Mailbox().native()) + u".");
}

TEST_F(RunLocksTest, NestedAcquisitionInOneProcessSharesTheLocks) {
    posix::FlockRunLocks locks = Locks();
    auto outer = locks.Acquire({u"C:\\Target"});
    auto inner = Locks().Acquire({u"c:\\target", u"C:\\Other"});
    EXPECT_EQ(probe.Ask("n C:\\Other"), 'L');
    inner.reset();
    EXPECT_EQ(probe.Ask("n C:\\Other"), 'S');
    EXPECT_EQ(probe.Ask("n C:\\Target"), 'L');  // the outer run still holds it
    EXPECT_EQ(probe.Ask("m"), 'L');
    outer.reset();
    EXPECT_EQ(probe.Ask("n C:\\Target"), 'S');
    EXPECT_EQ(probe.Ask("m"), 'S');
}

TEST(TargetLockName, IsTheFnv1aHashOfThePath) {
    EXPECT_EQ(posix::FlockRunLocks::TargetLockName("a"), "target-af63dc4c8601ec8c.lock");
    EXPECT_NE(posix::FlockRunLocks::TargetLockName("/srv/a"), posix::FlockRunLocks::TargetLockName("/srv/b"));
}
