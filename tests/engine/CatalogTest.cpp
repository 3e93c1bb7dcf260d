// The catalog of saved files against what strangers' messages and planted
// files try: a link is followed only when Velmora made it and its file is
// still the file saved; a file goes only when nothing names it any more.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "EngineFixture.h"
#include "host/HostError.h"

using namespace velmora;
using engine_test::EngineTest;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

namespace fs = std::filesystem;

class Catalogued : public EngineTest {
protected:
    Catalogued() {
        engine.Config().SetSaveOnlyBiggerThan(0);
        engine.Config().SetUseFolderNameAsDir(false);
        engine.Config().SetSaveAttOptions(0);
    }

    Outlook::MAPIFolder* FolderOf(sim::MapiFolder& folder) {
        folders_.push_back(sim::As<Outlook::MAPIFolder>(folder));
        return folders_.back().Get();
    }
    void Save(sim::MapiFolder& folder, bool remove = true) { engine.SaveFolder(u"C:\\Out", FolderOf(folder), false, remove); }
    void Reintroduce(sim::MapiFolder& folder, bool deleteFiles) {
        engine.ReintroduceFolder(FolderOf(folder), false, deleteFiles);
    }

    std::vector<std::string> Statuses() const {
        std::vector<std::string> statuses;
        for (const auto& event : log.Events()) {
            if (event.rfind("status", 0) == 0) statuses.push_back(event);
        }
        return statuses;
    }

    fs::path Native(std::u16string_view relative) const { return platform.DrivePath(u'C') / ToUtf8(relative); }
    std::size_t FilesIn(std::u16string_view relative) const {
        std::size_t count = 0;
        for (const auto& entry : fs::directory_iterator(Native(relative))) count += entry.is_regular_file() ? 1 : 0;
        return count;
    }

    std::vector<com::ComPtr<Outlook::MAPIFolder>> folders_;
};

TEST_F(Catalogued, AStrangersLinkIsNeitherFollowedNorDeleted) {
    platform.WriteFile(u"C:\\Secret\\key", "private");
    // The stranger even names a file Velmora saved for another message.
    Inbox().Mail(u"mine").Attach(u"report.pdf", "R");
    Save(Inbox());
    auto& stranger = Inbox().Mail(u"stranger").Link(u"C:\\Secret\\key").Link(u"C:\\Out\\report.pdf");
    log.lines.clear();

    Reintroduce(Inbox(), true);
    EXPECT_THAT(Statuses(), Contains("status 14 C:\\Out\\report.pdf | "));
    EXPECT_THAT(Statuses(), Contains("status 14 C:\\Secret\\key | "));
    EXPECT_EQ(stranger.SaveCount(), 0);
    EXPECT_EQ(Read(u"C:\\Secret\\key"), "private");

    TOutlookMailItem mail(sim::As<Outlook::_MailItem>(stranger));
    EXPECT_FALSE(engine.ReintroduceMail(mail, true));
    engine.ReRootFolder(FolderOf(Inbox()), false, u"C:\\", u"D:\\");
    EXPECT_EQ(stranger.SaveCount(), 0);
    EXPECT_EQ(Read(u"C:\\Secret\\key"), "private");
    EXPECT_FALSE(Exists(u"D:\\Secret\\key"));
}

TEST_F(Catalogued, ASavedFileReplacedBySomethingElseIsLeftAsItIs) {
    auto& item = Inbox().Mail(u"m").Attach(u"a.pdf", "saved bytes");
    Save(Inbox());
    const fs::path saved = Native(u"Out/a.pdf");
    platform.WriteFile(u"C:\\Elsewhere\\victim", "victim");

    fs::remove(saved);
    fs::create_symlink(Native(u"Elsewhere/victim"), saved);
    Reintroduce(Inbox(), true);
    fs::remove(saved);
    ASSERT_EQ(mkfifo(saved.c_str(), 0600), 0);
    Reintroduce(Inbox(), true);  // a FIFO must not block the run
    fs::remove(saved);
    platform.WriteFile(u"C:\\Out\\a.pdf", "other bytes");
    Reintroduce(Inbox(), true);

    EXPECT_THAT(Statuses(), ElementsAre("status 0 C:\\Out\\a.pdf | C:\\Out", "status 15 C:\\Out\\a.pdf | ",
                                        "status 15 C:\\Out\\a.pdf | ", "status 15 C:\\Out\\a.pdf | "));
    EXPECT_EQ(item.SavedAttachments()[0]->Type(), Outlook::olByReference);
    EXPECT_EQ(Read(u"C:\\Elsewhere\\victim"), "victim");
    EXPECT_EQ(Read(u"C:\\Out\\a.pdf"), "other bytes");
}

TEST_F(Catalogued, AFileSharedByTwoFoldersGoesOnlyWhenNoLinkNamesIt) {
    auto& archive = Inbox().Folder(u"Archive");
    auto& inInbox = Inbox().Mail(u"copy 1").Created(2024, 5, 1, 10, 0, 0).Attach(u"scan.pdf", "the scan");
    auto& inArchive = archive.Mail(u"copy 2").Created(2024, 5, 1, 10, 0, 0).Attach(u"scan.pdf", "the scan");
    Save(Inbox());
    Save(archive);
    ASSERT_EQ(FilesIn(u"Out"), 1u);

    Reintroduce(Inbox(), true);
    EXPECT_EQ(inInbox.SavedAttachments()[0]->Data().Content, "the scan");
    EXPECT_EQ(Read(u"C:\\Out\\scan.pdf"), "the scan");

    Reintroduce(archive, true);
    EXPECT_EQ(inArchive.SavedAttachments()[0]->Data().Content, "the scan");
    EXPECT_FALSE(Exists(u"C:\\Out\\scan.pdf"));
}

TEST_F(Catalogued, OverwriteNeverDestroysAnotherItemsSavedAttachment) {
    engine.Config().SetIfFileExists(1);
    auto& first = Inbox().Mail(u"first").Attach(u"report.pdf", "first report");
    auto& second = Inbox().Mail(u"second").Attach(u"report.pdf", "second report");
    Save(Inbox());
    EXPECT_THAT(Statuses(), ElementsAre("status 0 C:\\Out\\report.pdf | C:\\Out",
                                        "status 18 C:\\Out\\report.pdf | C:\\Out",
                                        "status 6 C:\\Out\\report(1).pdf | C:\\Out",
                                        "status 0 C:\\Out\\report(1).pdf | C:\\Out"));
    EXPECT_EQ(Read(first.SavedAttachments()[0]->PathName()), "first report");
    EXPECT_EQ(Read(second.SavedAttachments()[0]->PathName()), "second report");

    // A file nothing records is still overwritten, as asked.
    platform.WriteFile(u"C:\\Out\\notes.txt", "old notes");
    Inbox().Mail(u"third").Attach(u"notes.txt", "new notes");
    log.lines.clear();
    Save(Inbox());
    EXPECT_THAT(Statuses(), Contains("status 7 C:\\Out\\notes.txt | C:\\Out"));
    EXPECT_EQ(Read(u"C:\\Out\\notes.txt"), "new notes");
}

TEST_F(Catalogued, ASecondRunFindsEveryFileByItsBytesUnderAnyName) {
    auto& one = Inbox().Mail(u"one").Attach(u"scan.pdf", "first scan");
    auto& two = Inbox().Mail(u"two").Attach(u"scan.pdf", "second scan");
    Save(Inbox(), false);
    ASSERT_EQ(FilesIn(u"Out"), 2u);
    // Dates no longer help: the files are known by their bytes.
    one.Created(2030, 1, 1);
    two.Created(2031, 1, 1);
    log.lines.clear();
    Save(Inbox(), false);
    EXPECT_THAT(Statuses(), ElementsAre("status 5 C:\\Out\\scan.pdf | C:\\Out", "status 5 C:\\Out\\scan(1).pdf | C:\\Out"));
    EXPECT_EQ(FilesIn(u"Out"), 2u);
}

// The same bytes under another name are another attachment's file, which a
// reader looks for under that name.
TEST_F(Catalogued, TheSameBytesUnderAnotherNameAreSavedAgain) {
    Inbox().Mail(u"m").Attach(u"one.txt", "same").Attach(u"two.txt", "same").Attach(u"one(2).txt", "same");
    Save(Inbox(), false);
    EXPECT_THAT(Statuses(), ElementsAre("status 0 C:\\Out\\one(2).txt | C:\\Out", "status 0 C:\\Out\\two.txt | C:\\Out",
                                        "status 5 C:\\Out\\one(2).txt | C:\\Out"));
}

// A run that ended after recording an item's links but before rewriting it
// left entries for links that never landed: the next save of the item
// forgets them, and keeps those of the links the item holds.
TEST_F(Catalogued, EntriesOfLinksAnItemNoLongerHoldsGoWhenItIsSavedAgain) {
    platform.WriteFile(u"C:\\Out\\kept.pdf", "kept");
    platform.WriteFile(u"C:\\Out\\never.pdf", "never");
    auto& item = Inbox().Mail(u"m").Link(u"C:\\Out\\kept.pdf").Link(u"C:\\Out\\never.pdf");
    Track(item, 1);
    Track(item, 2);
    item.AttachmentList().Remove(2);
    item.Save();
    Save(Inbox());
    std::vector<std::u16string> recorded;
    platform.Catalog().ForEach([&](const host::CatalogEntry& entry) { recorded.push_back(entry.Path); });
    EXPECT_THAT(recorded, ElementsAre(u"C:\\Out\\kept.pdf"));
    EXPECT_EQ(Read(u"C:\\Out\\never.pdf"), "never");
}

TEST_F(Catalogued, ReintroduceGivesBackThePartThatWasTaken) {
    // Items go last first: the one added first finds the name taken.
    auto& numbered = Inbox().Mail(u"numbered").Attach(u"scan.pdf", "second scan");
    Inbox().Mail(u"plain").Attach(u"scan.pdf", "first scan");
    numbered.AttachmentAt(1).Data().PartProperties = u"inline image, Content-ID <part@x>";
    Save(Inbox());
    ASSERT_EQ(numbered.SavedAttachments()[0]->PathName(), u"C:\\Out\\scan(1).pdf");

    Reintroduce(Inbox(), false);
    const auto& back = numbered.SavedAttachments()[0]->Data();
    EXPECT_EQ(back.DisplayName, u"scan.pdf");
    EXPECT_EQ(back.Content, "second scan");
    EXPECT_EQ(back.PartProperties, u"inline image, Content-ID <part@x>");
}

TEST_F(Catalogued, ALongNameIsShortenedAndTheRunGoesOn) {
    const std::u16string japanese(92, u'\u8CC7');  // 276 bytes in UTF-8
    auto& item = Inbox()
                     .Mail(u"m")
                     .Attach(std::u16string(300, u'x') + u".pdf", "ascii")
                     .Attach(std::u16string(300, u'x') + u"y.pdf", "other ascii")
                     .Attach(japanese + u".pdf", "japanese")
                     .Attach(u"after.txt", "after");
    Save(Inbox());
    ASSERT_EQ(item.SavedAttachments().size(), 4u);
    std::set<std::u16string> paths;
    for (const auto& link : item.SavedAttachments()) {
        const std::u16string path = link->PathName();
        EXPECT_LE(ToUtf8(path.substr(path.rfind(u'\\') + 1)).size(), 255u);
        paths.insert(path);
        EXPECT_EQ(path.substr(path.size() - 4), path.back() == u't' ? u".txt" : u".pdf");
    }
    EXPECT_EQ(paths.size(), 4u);
    EXPECT_EQ(FilesIn(u"Out"), 4u);
}

TEST_F(Catalogued, AnAttachmentThatCannotBeWrittenIsReportedAndTheRunGoesOn) {
    auto& item = Inbox().Mail(u"m").Attach(u"good.txt", "good").Attach(u"broken.bin", "broken");
    item.AttachmentAt(2).Faults().FailOn("SaveToStream", E_FAIL, u"The content cannot be read");
    Save(Inbox());
    EXPECT_THAT(Statuses(), ElementsAre("status 17 The content cannot be read | C:\\Out",
                                        "status 0 C:\\Out\\good.txt | C:\\Out"));
    ASSERT_EQ(item.SavedAttachments().size(), 2u);
    EXPECT_EQ(item.SavedAttachments()[0]->Data().Content, "broken");
    EXPECT_EQ(FilesIn(u"Out"), 1u);  // no partial file left behind
}

TEST_F(Catalogued, AFullDiskEndsTheRunWithItsReason) {
    auto& item = Inbox().Mail(u"m").Attach(u"a.txt", "A");
    item.AttachmentAt(1).Faults().FailOn("SaveToStream", HRESULT_FROM_WIN32(ERROR_DISK_FULL), u"No space left on device");
    try {
        Save(Inbox());
        FAIL();
    } catch (const EOutlookManagerException& error) {
        EXPECT_THAT(ToUtf8(error.Message()), HasSubstr("No space left on device"));
    }
    EXPECT_EQ(item.SavedAttachments()[0]->Type(), Outlook::olByValue);
    EXPECT_EQ(FilesIn(u"Out"), 0u);
}

TEST_F(Catalogued, DamagedContentIsSavedButStaysInTheItem) {
    auto& item = Inbox().Mail(u"m").Attach(u"a.bin", "what could be decoded");
    item.AttachmentAt(1).Data().Intact = false;
    Save(Inbox());
    EXPECT_THAT(Statuses(), ElementsAre("status 0 C:\\Out\\a.bin | C:\\Out", "status 16 C:\\Out\\a.bin | C:\\Out"));
    EXPECT_EQ(item.SavedAttachments()[0]->Type(), Outlook::olByValue);
    EXPECT_EQ(item.SaveCount(), 0);
}

TEST_F(Catalogued, SymbolicLinksInTheTargetAreNeverFollowed) {
    engine.Config().SetIfFileExists(1);
    platform.WriteFile(u"C:\\Elsewhere\\victim", "victim");
    fs::create_directories(Native(u"Out"));
    fs::create_symlink(Native(u"Elsewhere/newfile"), Native(u"Out/x.bin"));
    fs::create_symlink(Native(u"Elsewhere/victim"), Native(u"Out/report.pdf"));
    Inbox().Mail(u"m").Attach(u"x.bin", "X").Attach(u"report.pdf", "R");
    Save(Inbox(), false);
    EXPECT_FALSE(fs::exists(Native(u"Elsewhere/newfile")));
    EXPECT_EQ(Read(u"C:\\Elsewhere\\victim"), "victim");
    EXPECT_EQ(Read(u"C:\\Out\\x(1).bin"), "X");
    EXPECT_EQ(Read(u"C:\\Out\\report(1).pdf"), "R");

    // A folder's directory that is a symbolic link is not entered.
    engine.Config().SetUseFolderNameAsDir(true);
    fs::create_directory_symlink(Native(u"Elsewhere"), Native(u"Out/Inbox"));
    EXPECT_THROW(Save(Inbox(), false), EOutlookManagerException);
    EXPECT_EQ(std::distance(fs::directory_iterator(Native(u"Elsewhere")), fs::directory_iterator()), 1);
}

// More files than a batch keeps open: they are flushed early, and the item
// is still saved only once all of them are on disk.
TEST_F(Catalogued, AnItemOfManyAttachmentsIsSavedWhole) {
    auto& item = Inbox().Mail(u"m");
    constexpr int kAttachments = 300;
    for (int i = 0; i < kAttachments; ++i) item.Attach(FromUtf8("f" + std::to_string(i) + ".txt"), std::to_string(i));
    Save(Inbox());
    EXPECT_EQ(FilesIn(u"Out"), static_cast<std::size_t>(kAttachments));
    ASSERT_EQ(item.SavedAttachments().size(), static_cast<std::size_t>(kAttachments));
    for (const auto& link : item.SavedAttachments()) EXPECT_EQ(link->Type(), Outlook::olByReference);
    EXPECT_EQ(Read(u"C:\\Out\\f123.txt"), "123");
}

TEST_F(Catalogued, AnItemThatVanishedDuringTheRunIsSkipped) {
    Inbox().Mail(u"kept").Attach(u"a.txt", "A");
    auto& gone = Inbox().Mail(u"gone").Attach(u"b.txt", "B");
    gone.Faults().FailOn("Attachments", HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), u"The message is no longer there");
    Save(Inbox());
    EXPECT_EQ(Read(u"C:\\Out\\a.txt"), "A");
    EXPECT_EQ(engine.MessageCount(), 1);
}

TEST_F(Catalogued, AdoptTakesOnlyRegularFilesBelowTheRoot) {
    platform.WriteFile(u"C:\\Att\\ok.pdf", "ok");
    platform.WriteFile(u"C:\\Secret\\victim", "victim");
    fs::create_symlink(Native(u"Secret/victim"), Native(u"Att/symlink.pdf"));
    ASSERT_EQ(mkfifo(Native(u"Att/fifo.pdf").c_str(), 0600), 0);
    fs::create_directory_symlink(Native(u"Secret"), Native(u"Att/Linked"));
    auto& item = Inbox()
                     .Mail(u"old links")
                     .Link(u"C:\\Att\\missing.pdf")
                     .Link(u"C:\\Att\\Linked\\victim")
                     .Link(u"C:\\Att\\fifo.pdf")
                     .Link(u"C:\\Att\\symlink.pdf")
                     .Link(u"C:\\Att\\..\\Secret\\victim")
                     .Link(u"C:\\Att\\ok.pdf");
    engine.AdoptFolder(FolderOf(Inbox()), false, u"C:\\Att");
    EXPECT_THAT(Statuses(), ElementsAre("status 19 C:\\Att\\ok.pdf | ", "status 11 victim | ",
                                        "status 15 C:\\Att\\symlink.pdf | ", "status 15 C:\\Att\\fifo.pdf | ",
                                        "status 11 victim | ", "status 10 C:\\Att\\missing.pdf | "));

    log.lines.clear();
    engine.ReintroduceFolder(FolderOf(Inbox()), false, true);
    EXPECT_THAT(Statuses(), Contains(::testing::StartsWith("status 9 ok.pdf")));
    EXPECT_THAT(Statuses(), Not(Contains(::testing::StartsWith("status 9 victim"))));
    EXPECT_EQ(Read(u"C:\\Secret\\victim"), "victim");
    EXPECT_FALSE(Exists(u"C:\\Att\\ok.pdf"));
    EXPECT_EQ(item.SavedAttachments().size(), 6u);
}

// A link under the old root only in its spelling ("..", or a directory that
// is a symbolic link to elsewhere) does not take its file along.
TEST_F(Catalogued, ReRootComparesResolvedPaths) {
    platform.WriteFile(u"C:\\Secret\\victim", "victim");
    fs::create_directories(Native(u"Att"));
    fs::create_directory_symlink(Native(u"Secret"), Native(u"Att/Linked"));
    auto& item = Inbox().Mail(u"m").Link(u"C:\\Att\\Linked\\victim");
    Track(item, 1);
    engine.ReRootFolder(FolderOf(Inbox()), false, u"C:\\Att\\", u"D:\\Att\\");
    EXPECT_THAT(Statuses(), ElementsAre("status 11 victim | "));
    EXPECT_EQ(Read(u"C:\\Secret\\victim"), "victim");
    EXPECT_FALSE(Exists(u"D:\\Att\\Linked\\victim"));
}

}  // namespace
