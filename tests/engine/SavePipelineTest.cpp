// What a save run does with each attachment: filters, names, existing files, replacement.
#include <algorithm>
#include <filesystem>

#include "EngineFixture.h"
#include "host/HostError.h"
#include "util/ARQ_FUNC.h"

using namespace velmora;
using engine_test::EngineTest;
using ::testing::ElementsAre;

namespace {

class SavePipeline : public EngineTest {
protected:
    SavePipeline() {
        engine.Config().SetSaveOnlyBiggerThan(0);
        engine.Config().SetUseFolderNameAsDir(false);
    }

    void SaveInbox(bool remove = false) {
        engine.SaveFolder(u"C:\\Out", sim::As<Outlook::MAPIFolder>(Inbox()).Get(), false, remove);
    }

    // The status lines only.
    std::vector<std::string> Statuses() const {
        std::vector<std::string> statuses;
        for (const auto& event : log.Events()) {
            if (event.rfind("status", 0) == 0) statuses.push_back(event);
        }
        return statuses;
    }

    // Every entry the run left in the target tree, as native relative paths.
    std::vector<std::string> TargetTree() const {
        std::vector<std::string> entries;
        const auto root = platform.DrivePath(u'C') / "Out";
        if (!std::filesystem::exists(root)) return entries;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
            entries.push_back(std::filesystem::relative(entry.path(), root).string());
        }
        std::sort(entries.begin(), entries.end());
        return entries;
    }
};

TEST_F(SavePipeline, LinksOleObjectsAndShortcutsAreSkippedWithTheirStatus) {
    Inbox().Mail(u"m").Link(u"C:\\Elsewhere\\linked.pdf").Ole(u"Picture (Device Independent Bitmap)")
        .Attach(u"x.lnk", "shortcut");
    SaveInbox();
    EXPECT_THAT(Statuses(), ElementsAre("status 1 x.lnk | C:\\Out", "status 2 Picture (Device Independent Bitmap) | C:\\Out",
                                        "status 1 linked.pdf | C:\\Out"));
    EXPECT_EQ(engine.AttachmentCount(), 0);
    EXPECT_TRUE(TargetTree().empty());
}

TEST_F(SavePipeline, UnreadableFileNameIsReportedByDisplayNameAndTheRunGoesOn) {
    auto& item = Inbox().Mail(u"m").Attach(u"ok.txt", "ok").Attach(u"broken.txt", "??");
    item.AttachmentAt(2).Data().DisplayName = u"Broken attachment";
    item.AttachmentAt(2).Faults().FailOn("FileName", E_FAIL, u"unreadable");
    SaveInbox();
    EXPECT_THAT(log.Events(), ElementsAre("folder Inbox", "mail m", "status 3 Broken attachment | C:\\Out",
                                          "att ok.txt", "status 0 C:\\Out\\ok.txt | C:\\Out"));
}

TEST_F(SavePipeline, InlineImagesAreSkippedUnlessWanted) {
    auto& item = Inbox().Mail(u"m").Attach(u"image001.tif", "I").Attach(u"noext", "N").Attach(u"a.pdf", "P");
    for (int i = 1; i <= 3; ++i) item.AttachmentAt(i).Data().Flags = 4;
    SaveInbox();
    EXPECT_THAT(Statuses(), ElementsAre("status 0 C:\\Out\\a.pdf | C:\\Out", "status 4 noext | C:\\Out",
                                        "status 4 image001.tif | C:\\Out"));

    log.lines.clear();
    engine.Config().SetSaveInlineAttachments(true);
    platform.FileSystem().Remove(u"C:\\Out\\a.pdf");
    SaveInbox();
    EXPECT_EQ(Statuses().size(), 3u);
    EXPECT_EQ(Read(u"C:\\Out\\noext"), "N");
}

TEST_F(SavePipeline, ExtensionListMatchesWithoutLetterCaseAndPassesNamesWithoutExtension) {
    engine.Config().SetSaveOnlyExtensions(u".pdf;.DOC");
    Inbox().Mail(u"m").Attach(u"a.PDF", "1").Attach(u"b.txt", "2").Attach(u"README", "3").Attach(u"c.doc", "4")
        .Attach(u"d.pdfx", "5");
    SaveInbox();
    EXPECT_THAT(TargetTree(), ElementsAre("README", "a.PDF", "c.doc"));
    EXPECT_THAT(log.Events(), ::testing::Contains("att b.txt"));
}

TEST_F(SavePipeline, SizeFilterCountsWholeKilobytesAndLetsUnknownSizesPass) {
    engine.Config().SetSaveOnlyBiggerThan(10);
    auto& item = Inbox().Mail(u"m").Attach(u"exact.bin", std::string(10240, 'x')).Attach(u"short.bin", std::string(10239, 'x'))
                     .Attach(u"unknown.bin", "tiny");
    item.AttachmentAt(3).Data().Size.reset();
    SaveInbox();
    EXPECT_THAT(TargetTree(), ElementsAre("exact.bin", "unknown.bin"));
}

TEST_F(SavePipeline, WithoutMapiSizesAreUnknownAndNothingIsInline) {
    platform.Registry().DeleteKeyTree(host::RegistryRoot::LocalMachine, u"SOFTWARE\\Clients");
    engine.Config().SetSaveOnlyBiggerThan(10);
    auto& item = Inbox().Mail(u"m").Attach(u"small.png", "tiny");
    item.AttachmentAt(1).Data().Flags = 4;
    SaveInbox();
    EXPECT_THAT(TargetTree(), ElementsAre("small.png"));
}

TEST_F(SavePipeline, FileNameCharactersAreReplacedAndHostileNamesMadeSafe) {
    Inbox().Mail(u"m").Attach(u"a:b\tc<d>.txt", "1").Attach(u"say \"hi\".txt", "8").Attach(u"CON.txt", "2").Attach(u"...", "3")
        .Attach(u"..\\..\\escape.txt", "4").Attach(u"trailing. .", "5").Attach(u"lpt1", "6")
        .Attach(u"Ж\u00A5.txt", "7");
    SaveInbox();
    EXPECT_THAT(TargetTree(), ElementsAre(".. .. escape.txt", "_", "_CON.txt", "_lpt1", "a b c d .txt", "say  hi .txt", "trailing",
                                          "Ж .txt"));
    for (const auto& entry : std::filesystem::recursive_directory_iterator(platform.DrivePath(u'C') / "Out")) {
        EXPECT_TRUE(entry.is_regular_file()) << entry.path();
    }
}

TEST_F(SavePipeline, RenameNumbersFromOneForEveryAttachment) {
    platform.WriteFile(u"C:\\Out\\Report.PDF", "old 0");
    platform.WriteFile(u"C:\\Out\\Report(1).pdf", "old 1");
    Inbox().Mail(u"m").Attach(u"Report.PDF", "new a").Attach(u"Report.PDF", "new b");
    SaveInbox();
    EXPECT_THAT(Statuses(), ElementsAre("status 6 C:\\Out\\Report(2).pdf | C:\\Out", "status 0 C:\\Out\\Report(2).pdf | C:\\Out",
                                        "status 6 C:\\Out\\Report(3).pdf | C:\\Out", "status 0 C:\\Out\\Report(3).pdf | C:\\Out"));
    EXPECT_EQ(Read(u"C:\\Out\\Report.PDF"), "old 0");
    EXPECT_EQ(Read(u"C:\\Out\\Report(2).pdf"), "new b");
}

TEST_F(SavePipeline, AskWithoutAnAnswerRenamesAndAnyAnswerButZeroOverwrites) {
    engine.Config().SetIfFileExists(2);
    platform.WriteFile(u"C:\\Out\\a.txt", "old");
    Inbox().Mail(u"m").Attach(u"a.txt", "new");
    SaveInbox();
    EXPECT_EQ(Read(u"C:\\Out\\a(1).txt"), "new");

    log.lines.clear();
    Inbox().ItemAt(1).AttachmentAt(1).Data().Content = "newer";
    std::vector<std::string> asked;
    engine.OnFileExists = [&](auto&, const std::u16string& name, const std::u16string& dir, std::uint8_t& answer) {
        asked.push_back(ToUtf8(name + u" in " + dir) + " entering " + std::to_string(answer));
        answer = 7;
    };
    SaveInbox();
    EXPECT_THAT(asked, ElementsAre("a.txt in C:\\Out entering 2"));
    EXPECT_THAT(Statuses(), ElementsAre("status 7 C:\\Out\\a.txt | C:\\Out", "status 0 C:\\Out\\a.txt | C:\\Out"));
    EXPECT_EQ(Read(u"C:\\Out\\a.txt"), "newer");
}

TEST_F(SavePipeline, ASecondRunFindsTheFirstRunsFilesIdentical) {
    Inbox().Mail(u"m").Created(2024, 5, 1, 10, 15, 37).Attach(u"a.pdf", std::string(5000, 'a'));
    SaveInbox();
    log.lines.clear();
    SaveInbox(true);
    EXPECT_THAT(Statuses(), ElementsAre("status 5 C:\\Out\\a.pdf | C:\\Out"));
    EXPECT_EQ(engine.AttachmentCount(), 2);
    // Removal still replaces the attachment by a link to the file found.
    const auto& saved = Inbox().ItemAt(1).SavedAttachments();
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0]->PathName(), u"C:\\Out\\a.pdf");
}

TEST_F(SavePipeline, CloseTimeAndSizeWithOtherBytesIsNotIdenticalAndLosesNothing) {
    // Two different report.csv files from messages created in the same minute.
    auto& inbox = Inbox();
    inbox.Mail(u"later").Created(2024, 5, 1, 10, 15, 40).Attach(u"report.csv", "1,2,3\n");
    inbox.Mail(u"earlier").Created(2024, 5, 1, 10, 15, 0).Attach(u"report.csv", "4,5,6\n");
    SaveInbox(true);
    EXPECT_THAT(Statuses(), ElementsAre("status 0 C:\\Out\\report.csv | C:\\Out", "status 6 C:\\Out\\report(1).csv | C:\\Out",
                                        "status 0 C:\\Out\\report(1).csv | C:\\Out"));
    EXPECT_EQ(Read(u"C:\\Out\\report.csv"), "4,5,6\n");
    EXPECT_EQ(Read(u"C:\\Out\\report(1).csv"), "1,2,3\n");
    EXPECT_THAT(TargetTree(), ElementsAre("report(1).csv", "report.csv"));  // no temporary file left
}

TEST_F(SavePipeline, IdenticalNeedsTheTimeWithinAMinute) {
    auto& inbox = Inbox();
    inbox.Mail(u"m").Created(2024, 5, 1, 10, 16, 2).Attach(u"a.txt", "same");
    platform.WriteFile(u"C:\\Out\\a.txt", "same");
    SetFileDateTime(u"C:\\Out\\a.txt", EncodeDateTime({2024, 5, 1, 10, 15, 0}));
    SaveInbox();
    EXPECT_THAT(Statuses(), ElementsAre("status 6 C:\\Out\\a(1).txt | C:\\Out", "status 0 C:\\Out\\a(1).txt | C:\\Out"));

    log.lines.clear();
    platform.FileSystem().Remove(u"C:\\Out\\a(1).txt");
    SetFileDateTime(u"C:\\Out\\a.txt", EncodeDateTime({2024, 5, 1, 10, 15, 4}));
    SaveInbox();
    EXPECT_THAT(Statuses(), ElementsAre("status 5 C:\\Out\\a.txt | C:\\Out"));
}

TEST_F(SavePipeline, OverwriteAfterAComparisonUsesTheBytesAlreadyWritten) {
    engine.Config().SetIfFileExists(1);
    auto& item = Inbox().Mail(u"m").Created(2024, 5, 1, 10, 15, 0).Attach(u"a.txt", "new!");
    platform.WriteFile(u"C:\\Out\\a.txt", "old!");
    SetFileDateTime(u"C:\\Out\\a.txt", EncodeDateTime({2024, 5, 1, 10, 15, 0}));
    SaveInbox();
    EXPECT_EQ(Read(u"C:\\Out\\a.txt"), "new!");
    EXPECT_EQ(item.AttachmentAt(1).Faults().Calls("SaveToStream"), 1);
    EXPECT_THAT(TargetTree(), ElementsAre("a.txt"));
}

TEST_F(SavePipeline, TheTemporaryFileGoesAlsoWhenTheRunFails) {
    auto& item = Inbox().Mail(u"m").Created(2024, 5, 1, 10, 15, 0).Attach(u"a.txt", "new!");
    platform.WriteFile(u"C:\\Out\\a.txt", "old!");
    SetFileDateTime(u"C:\\Out\\a.txt", EncodeDateTime({2024, 5, 1, 10, 15, 0}));
    engine.OnAttachmentStatus = [](auto&, const auto&, const auto&, auto status) {
        if (status == asRenamed) throw host::HostError(E_FAIL, u"stopped");
    };
    EXPECT_THROW(SaveInbox(), EOutlookManagerException);
    EXPECT_THAT(TargetTree(), ElementsAre("a.txt"));
    EXPECT_EQ(item.SavedAttachments().size(), 1u);
}

TEST_F(SavePipeline, TheTargetDirectoryIsMadeOnlyWhenAFileIsWritten) {
    engine.Config().SetUseFolderNameAsDir(true);
    auto& inbox = Inbox();
    inbox.Folder(u"Links only").Mail(u"l").Link(u"C:\\x.pdf");
    inbox.Folder(u"Deep").Mail(u"d").Attach(u"d.txt", "D");
    engine.SaveFolder(u"C:\\Out\\New\\Tree", sim::As<Outlook::MAPIFolder>(inbox).Get(), true, false);
    EXPECT_EQ(Read(u"C:\\Out\\New\\Tree\\Inbox\\Deep\\d.txt"), "D");
    EXPECT_FALSE(platform.FileSystem().DirectoryExists(u"C:\\Out\\New\\Tree\\Inbox\\Links only"));
}

TEST_F(SavePipeline, ADirectoryThatCannotBeMadeEndsTheRun) {
    Inbox().Mail(u"m").Attach(u"a.txt", "A");
    try {
        engine.SaveFolder(u"Q:\\Nowhere", sim::As<Outlook::MAPIFolder>(Inbox()).Get(), false, true);
        FAIL();
    } catch (const EOutlookManagerException& error) {
        EXPECT_EQ(error.Message(),
                  u"Error saving attachment a.txt to directory Q:\\Nowhere: Error creating directory: Q:\\Nowhere");
    }
}

TEST_F(SavePipeline, BodyReferencesListTheAttachmentsInOrder) {
    engine.Config().SetSaveAttOptions(1);
    auto& item = Inbox().Mail(u"m").WithBody(u"Hello").Attach(u"a.txt", "A").Attach(u"b.txt", "B");
    SaveInbox(true);
    // A file URI of the platform: on Linux the native path, on Windows the Windows path.
#ifdef _WIN32
    const auto uri = [](const char* name) { return u"file://C:\\Out\\" + FromUtf8(name); };
#else
    const auto uri = [&](const char* name) { return FromUtf8("file://" + (platform.DrivePath(u'C') / "Out" / name).string()); };
#endif
    EXPECT_EQ(item.SavedBody(), u"Attachment extracted: <" + uri("a.txt") + u">\r\n\r\nAttachment extracted: <" +
                                    uri("b.txt") + u">\r\n\r\nHello");
    EXPECT_TRUE(item.SavedAttachments().empty());
    EXPECT_EQ(item.SaveCount(), 1);
}

TEST_F(SavePipeline, ABodyThatDoesNotChangeEndsTheRunUnsaved) {
    engine.Config().SetSaveAttOptions(1);
    auto& item = Inbox().Mail(u"Quarterly").WithBody(u"Hello").Attach(u"a.txt", "A").IgnoreBodyWrites();
    try {
        SaveInbox(true);
        FAIL();
    } catch (const EOutlookManagerException& error) {
        EXPECT_EQ(error.Message(), u"Error changing body of message: Quarterly");
    }
    EXPECT_EQ(item.SaveCount(), 0);
    EXPECT_EQ(Read(u"C:\\Out\\a.txt"), "A");
}

TEST_F(SavePipeline, LinksReplaceRemovedAttachmentsAtPositionOneAndAreNotRevisited) {
    auto& item = Inbox().Mail(u"m").Attach(u"a.txt", "A").Attach(u"b.txt", "B");
    SaveInbox(true);
    EXPECT_THAT(Statuses(), ElementsAre("status 0 C:\\Out\\b.txt | C:\\Out", "status 0 C:\\Out\\a.txt | C:\\Out"));
    const auto& saved = item.SavedAttachments();
    ASSERT_EQ(saved.size(), 2u);
    for (const auto& link : saved) {
        EXPECT_EQ(link->Type(), Outlook::olByReference);
        EXPECT_EQ(link->Data().Position, 1);
    }
    EXPECT_EQ(saved[0]->PathName(), u"C:\\Out\\b.txt");
    EXPECT_EQ(saved[0]->DisplayName(), u"b.txt");
    EXPECT_EQ(saved[1]->PathName(), u"C:\\Out\\a.txt");
}

TEST_F(SavePipeline, JustRemovingLeavesNothingBehindInTheItem) {
    engine.Config().SetSaveAttOptions(2);
    auto& item = Inbox().Mail(u"m").WithBody(u"Body").Attach(u"a.txt", "A");
    SaveInbox(true);
    EXPECT_TRUE(item.SavedAttachments().empty());
    EXPECT_EQ(item.SavedBody(), u"Body");
    EXPECT_EQ(Read(u"C:\\Out\\a.txt"), "A");
}

TEST_F(SavePipeline, AnItemWithoutAttachmentsIsCountedAndNotSaved) {
    auto& item = Inbox().Mail(u"empty");
    SaveInbox(true);
    EXPECT_EQ(engine.MessageCount(), 1);
    EXPECT_EQ(item.SaveCount(), 0);
}

TEST_F(SavePipeline, SavedFilesCarryTheItemsCreationTime) {
    Inbox().Mail(u"m").Created(2021, 3, 4, 10, 15, 37).Attach(u"a.txt", "A");
    SaveInbox();
    TDateTime time = 0;
    std::uint32_t size = 0;
    ASSERT_TRUE(GetFileDateTimeAndSize(u"C:\\Out\\a.txt", time, size));
    EXPECT_DOUBLE_EQ(time, EncodeDateTime({2021, 3, 4, 10, 15, 36}));
    EXPECT_EQ(size, 1u);
}

}  // namespace
