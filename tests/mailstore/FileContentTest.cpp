// Files added by value: read only when the message is written, a chunk at
// a time, from the file opened when they were added; never anything but a
// regular file.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/sysmacros.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "MailboxFixture.h"
#include "base/Utf16.h"
#include "host/HostError.h"

namespace mailstore_test {
namespace {

constexpr std::size_t kLargeSize = 200u * 1024 * 1024;
constexpr long kAllowedGrowthKb = 64 * 1024;

// The bytes of the large file: every offset has its own, so that a block
// out of place shows.
char LargeByte(std::size_t offset) { return static_cast<char>((offset * 31 + offset / 4093) % 251); }

// Compares what it is given with the large file's bytes, holding none of them.
class LargeFileCheck final : public host::OutputStream {
public:
    void Write(const void* data, std::size_t size) override {
        const auto* bytes = static_cast<const char*>(data);
        for (std::size_t i = 0; i < size; ++i) same_ = same_ && bytes[i] == LargeByte(offset_ + i);
        offset_ += size;
    }
    void Commit() override {}
    bool Same() const { return same_ && offset_ == kLargeSize; }

private:
    std::size_t offset_ = 0;
    bool same_ = true;
};

long PeakKb() {
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

class FileContent : public MailboxTest {
protected:
    fs::path Inbox() { return Deliver("Inbox", "1700000000.M1P1.h:2,S", Mixed("files", {TextPart("body")})); }
    fs::path Native(std::u16string_view name) { return platform.DrivePath(u'C') / velmora::ToUtf8(name); }
};

TEST_F(FileContent, ALargeFileIsWrittenIntoTheMessageAChunkAtATime) {
    {
        std::ofstream out(Native(u"large.bin"), std::ios::binary);
        std::vector<char> block(1024 * 1024);
        for (std::size_t at = 0; at < kLargeSize; at += block.size()) {
            for (std::size_t i = 0; i < block.size(); ++i) block[i] = LargeByte(at + i);
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
        }
    }
    const auto file = Inbox();
    // In a child of its own, so that the peak measured starts where this
    // process stands now, whatever other tests took before.
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeEnds[0]);
        long growth = -1;
        try {
            const long before = PeakKb();
            auto mail = Mail(file);
            mail->Attachments()->Add(u"C:\\large.bin", Outlook::olByValue, 1, u"large.bin");
            mail->Save();
            growth = PeakKb() - before;
        } catch (...) {
            growth = -1;
        }
        const bool sent = ::write(pipeEnds[1], &growth, sizeof growth) == sizeof growth;
        ::_exit(sent ? 0 : 1);
    }
    ::close(pipeEnds[1]);
    long growth = -2;
    ASSERT_EQ(::read(pipeEnds[0], &growth, sizeof growth), static_cast<ssize_t>(sizeof growth));
    ::close(pipeEnds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_GE(growth, 0) << "adding or saving failed";
    EXPECT_LT(growth, kAllowedGrowthKb);

    // The child's save gave the message a new name, which this process did not see.
    const auto written = FilesBelow(root / "Inbox" / "cur");
    ASSERT_EQ(written.size(), 1u);
    auto attachment = Mail(root / "Inbox" / "cur" / written.front())->Attachments()->Item(1);
    LargeFileCheck check;
    attachment->SaveToStream(check);
    EXPECT_TRUE(check.Same());
    EXPECT_TRUE(attachment->ContentIntact());
}

TEST_F(FileContent, WhatIsWrittenIsTheFileThatWasAdded) {
    platform.WriteFile(u"C:\\report.pdf", "the file that was added");
    platform.WriteFile(u"C:\\other.pdf", "a file put in its place afterwards");
    const auto file = Inbox();
    auto mail = Mail(file);
    mail->Attachments()->Add(u"C:\\report.pdf", Outlook::olByValue, 1, u"report.pdf");
    fs::rename(Native(u"other.pdf"), Native(u"report.pdf"));
    mail->Save();
    Mail(file)->Attachments()->Item(1)->SaveAsFile(u"C:\\check.pdf");
    EXPECT_EQ(platform.ReadFile(u"C:\\check.pdf"), "the file that was added");
}

TEST_F(FileContent, OnlyRegularFilesAreAddedAndNothingBlocks) {
    platform.WriteFile(u"C:\\target.pdf", "target");
    fs::create_symlink(Native(u"target.pdf"), Native(u"link.pdf"));
    ASSERT_EQ(::mkfifo(Native(u"fifo.pdf").c_str(), 0600), 0);
    fs::create_directory(Native(u"folder.pdf"));
    std::vector<std::u16string> refused = {u"C:\\link.pdf", u"C:\\fifo.pdf", u"C:\\folder.pdf", u"C:\\missing.pdf"};
    // A device node can be made by root only.
    if (::geteuid() == 0 && ::mknod(Native(u"device.pdf").c_str(), S_IFCHR | 0600, makedev(1, 5)) == 0) {
        refused.push_back(u"C:\\device.pdf");
    }
    const auto file = Inbox();
    const std::string before = ReadNative(Current(file));
    auto mail = Mail(file);
    for (const auto& path : refused) {
        EXPECT_THROW(mail->Attachments()->Add(path, Outlook::olByValue, 1, u"a.pdf"), host::HostError)
            << velmora::ToUtf8(path);
    }
    EXPECT_EQ(mail->Attachments()->Count(), 0);
    mail->Save();
    EXPECT_EQ(ReadNative(Current(file)), before);
}

}  // namespace
}  // namespace mailstore_test
