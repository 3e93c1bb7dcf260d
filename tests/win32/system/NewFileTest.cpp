// New files in a directory held open: written under a temporary name, then
// named without replacing (unless asked), never through a link, and gone
// when dropped unplaced.

#include <gtest/gtest.h>

#include "WineFixture.h"
#include "base/Utf16.h"
#include "win32/system/Win32FileSystem.h"

namespace win32test {

namespace {

class NewFileTest : public ::testing::Test {
protected:
    std::unique_ptr<host::NewFile> Written(const std::string& content) {
        auto file = target->CreateTemporary();
        file->Write(content.data(), content.size());
        file->Finish(false);
        return file;
    }

    TempFolder folder;
    win32::Win32FileSystem files;
    std::unique_ptr<host::Directory> target = files.OpenDirectory(folder.Path());
};

TEST_F(NewFileTest, DataCrossesTheBufferAndATemporaryGoesWhenDroppedUnplaced) {
    std::string content;
    for (int i = 0; content.size() < 3 * 1024 * 1024 / 2; ++i) content += "line " + std::to_string(i) + "\r\n";
    auto file = target->CreateTemporary();
    const std::u16string temporary = file->Name();
    EXPECT_TRUE(temporary.starts_with(u".~velmora-")) << velmora::ToUtf8(temporary);
    for (std::size_t at = 0; at < content.size(); at += 4097) {
        const std::string piece = content.substr(at, 4097);
        file->Write(piece.data(), piece.size());
    }
    file->Finish(true);
    EXPECT_FALSE(Exists(folder / u"data.txt"));
    ASSERT_TRUE(file->Place(u"data.txt", false));
    EXPECT_EQ(file->Name(), u"data.txt");
    EXPECT_EQ(ReadFile(folder / u"data.txt"), content);
    EXPECT_FALSE(Exists(folder / temporary));

    std::u16string dropped;
    {
        auto unplaced = Written("never named");
        dropped = unplaced->Name();
        EXPECT_TRUE(Exists(folder / dropped));
    }
    EXPECT_FALSE(Exists(folder / dropped));
    EXPECT_EQ(target->List(), std::vector<std::u16string>{u"data.txt"});
}

TEST_F(NewFileTest, WithoutReplaceAnExistingFileOfAnyCaseStaysAndWithReplaceItGoes) {
    WriteFile(folder / u"Report.PDF", "old");
    EXPECT_FALSE(Written("new")->Place(u"report.pdf", false));
    EXPECT_EQ(ReadFile(folder / u"Report.PDF"), "old");
    EXPECT_TRUE(Written("new")->Place(u"report.pdf", true));
    EXPECT_EQ(ReadFile(folder / u"report.pdf"), "new");
    EXPECT_EQ(target->List().size(), 1u);
}

TEST_F(NewFileTest, ALoserOfTheRaceForANameGetsFalseAndTheWinnerKeepsIt) {
    auto first = Written("first");
    auto second = Written("second");
    EXPECT_TRUE(first->Place(u"same.txt", false));
    EXPECT_FALSE(second->Place(u"same.txt", false));
    EXPECT_EQ(ReadFile(folder / u"same.txt"), "first");
}

TEST_F(NewFileTest, NeitherModeReplacesADirectory) {
    MakeDirectory(folder / u"taken");
    EXPECT_FALSE(Written("x")->Place(u"taken", false));
    EXPECT_FALSE(Written("x")->Place(u"TAKEN", true));
    EXPECT_EQ(target->Status(u"taken").Kind, host::EntryKind::Directory);
}

TEST_F(NewFileTest, ADanglingLinkAtTheNameNeverCreatesAFileWhereItPoints) {
    TempFolder elsewhere;
    const std::u16string victim = elsewhere / u"victim.txt";
    MakeUnixLink(folder / u"out.txt", victim);
    // Windows refuses the taken name; Wine, which cannot see the dangling
    // link, replaces the link itself. Neither writes where it points.
    Written("planted")->Place(u"out.txt", false);
    EXPECT_FALSE(Exists(victim));
    auto again = target->CreateTemporary();
    again->Finish(false);
    again->Place(u"OUT.txt", true);
    EXPECT_FALSE(Exists(victim));
}

TEST_F(NewFileTest, NamesThatLeaveTheDirectoryOrThatWindowsCannotOpenAreRefused) {
    for (const std::u16string name : {u"", u".", u"..", u"..\\up.txt", u"sub\\x.txt", u"a/b", u"C:x.txt", u"x*.txt",
                                      u"trailing.", u"trailing ", u"CON", u"nul.txt", u"com1", u"LPT9.log",
                                      u"bell\a.txt"}) {
        EXPECT_FALSE(target->NameFits(name)) << velmora::ToUtf8(name);
        ExpectFileError(ERROR_INVALID_NAME, [&] { Written("x")->Place(name, false); });
    }
    EXPECT_TRUE(target->NameFits(u"conference.txt"));
    EXPECT_TRUE(target->NameFits(u"com10.txt"));
    EXPECT_EQ(target->List().size(), 0u);
}

TEST_F(NewFileTest, ANameTooLongForTheFileSystemDoesNotFitAndCannotBePlaced) {
    const std::u16string longest(255, u'n');
    const std::u16string tooLong(256, u'n');
    EXPECT_TRUE(target->NameFits(longest));
    EXPECT_FALSE(target->NameFits(tooLong));
    EXPECT_THROW(Written("x")->Place(tooLong, false), host::HostError);
    EXPECT_TRUE(Written("x")->Place(longest, false));
}

}  // namespace

}  // namespace win32test
