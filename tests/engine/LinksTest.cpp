// Reintroducing link attachments, re-rooting them, and the send check.
#include "EngineFixture.h"
#include "host/HostError.h"

using namespace velmora;
using engine_test::EngineTest;
using ::testing::ElementsAre;

namespace {

class Links : public EngineTest {
protected:
    Outlook::MAPIFolder* InboxFolder() {
        folder_ = sim::As<Outlook::MAPIFolder>(Inbox());
        return folder_.Get();
    }

    static std::vector<std::u16string> Paths(const sim::Item& item) {
        std::vector<std::u16string> paths;
        for (const auto& attachment : item.SavedAttachments()) paths.push_back(attachment->Data().PathName);
        return paths;
    }

    com::ComPtr<Outlook::MAPIFolder> folder_;
};

TEST_F(Links, ReintroducedLinksBecomeAttachmentsAtTheEnd) {
    platform.WriteFile(u"C:\\Att\\Inbox\\a.pdf", "AAA");
    platform.WriteFile(u"C:\\Att\\Inbox\\b.pdf", "BBB");
    auto& item = Inbox().Mail(u"m").Attach(u"keep.txt", "K").Link(u"C:\\Att\\Inbox\\a.pdf").Link(u"c:\\att\\inbox\\B.PDF");
    item.AttachmentAt(3).Data().DisplayName = u"Quarterly figures";
    Track(item, 2);
    Track(item, 3);

    engine.ReintroduceFolder(InboxFolder(), false, false);

    EXPECT_THAT(log.Events(), ElementsAre("folder Inbox", "mail m", "att B.PDF", "status 9 B.PDF | c:\\att\\inbox\\",
                                          "att a.pdf", "status 9 a.pdf | C:\\Att\\Inbox\\", "att keep.txt",
                                          "status 8 keep.txt | "));
    const auto& saved = item.SavedAttachments();
    ASSERT_EQ(saved.size(), 3u);
    EXPECT_EQ(saved[0]->Data().Content, "K");
    EXPECT_EQ(saved[1]->Data().Content, "BBB");
    EXPECT_EQ(saved[1]->Data().DisplayName, u"Quarterly figures");
    EXPECT_EQ(saved[2]->Data().Content, "AAA");
    for (const auto& attachment : saved) EXPECT_EQ(attachment->Type(), Outlook::olByValue);
    EXPECT_EQ(item.SaveCount(), 2);
    EXPECT_EQ(engine.AttachmentCount(), 2);
    // The ordinary attachment is passed over: the item counts, files kept.
    EXPECT_EQ(engine.MessageCount(), 1);
    EXPECT_TRUE(Exists(u"C:\\Att\\Inbox\\a.pdf"));
}

// A link that cannot be followed, or an ordinary attachment after the
// links, does not keep the links before it from coming back.
TEST_F(Links, AMissingFileIsReportedAndTheLinksBeforeItStillComeBack) {
    platform.WriteFile(u"C:\\Att\\a.pdf", "A");
    auto& item = Inbox().Mail(u"m").Link(u"C:\\Att\\a.pdf").Link(u"C:\\Att\\gone.pdf").Attach(u"small.txt", "S");
    Track(item, 1);
    Track(item, 2, "gone");
    engine.ReintroduceFolder(InboxFolder(), false, true);
    EXPECT_THAT(log.Events(), ElementsAre("folder Inbox", "mail m", "att small.txt", "status 8 small.txt | ",
                                          "att gone.pdf", "status 10 C:\\Att\\gone.pdf | ", "att a.pdf",
                                          "status 9 a.pdf | C:\\Att\\"));
    EXPECT_THAT(Paths(item), ElementsAre(u"C:\\Att\\gone.pdf", u"", u""));
    EXPECT_EQ(item.SavedAttachments()[2]->Data().Content, "A");
    EXPECT_EQ(engine.MessageCount(), 1);
    EXPECT_FALSE(Exists(u"C:\\Att\\a.pdf"));
}

TEST_F(Links, AnItemWithoutAttachmentsCountsAndIsComplete) {
    auto& item = b.LooseItem(sim::ItemKind::Mail, u"plain");
    TOutlookMailItem mail(sim::As<Outlook::_MailItem>(item));
    EXPECT_TRUE(engine.ReintroduceMail(mail, true));
    EXPECT_EQ(engine.MessageCount(), 1);
    EXPECT_EQ(item.SaveCount(), 0);
}

TEST_F(Links, ASharedFileIsReintroducedEverywhereAndDeletedOnceAfterTheWalk) {
    platform.WriteFile(u"C:\\Att\\shared.pdf", "S");
    auto& inbox = Inbox();
    auto& one = inbox.Mail(u"one").Link(u"C:\\Att\\shared.pdf");
    auto& two = inbox.Mail(u"two").Link(u"c:\\ATT\\shared.pdf");
    Track(one, 1);
    Track(two, 1);
    std::vector<bool> existedWhenReported;
    engine.OnAttachmentStatus = [&](auto&, const auto&, const auto&, auto) {
        existedWhenReported.push_back(Exists(u"C:\\Att\\shared.pdf"));
    };

    engine.ReintroduceFolder(InboxFolder(), false, true);

    EXPECT_THAT(existedWhenReported, ElementsAre(true, true));
    EXPECT_FALSE(Exists(u"C:\\Att\\shared.pdf"));
    EXPECT_EQ(one.SavedAttachments()[0]->Data().Content, "S");
    EXPECT_EQ(two.SavedAttachments()[0]->Data().Content, "S");
}

TEST_F(Links, AFileStillLinkedFromAnAbandonedItemIsNotDeleted) {
    platform.WriteFile(u"C:\\Att\\shared.pdf", "S");
    auto& inbox = Inbox();
    auto& abandoned = inbox.Mail(u"abandoned").Link(u"C:\\Att\\shared.pdf").Link(u"C:\\Att\\unreadable.pdf");
    auto& done = inbox.Mail(u"done").Link(u"C:\\Att\\shared.pdf");
    Track(abandoned, 1);
    Track(done, 1);
    abandoned.AttachmentAt(2).Faults().FailOn("FileName", E_FAIL, u"unreadable");

    engine.ReintroduceFolder(InboxFolder(), false, true);

    EXPECT_EQ(done.SavedAttachments()[0]->Data().Content, "S");
    EXPECT_THAT(Paths(abandoned), ElementsAre(u"C:\\Att\\shared.pdf", u"C:\\Att\\unreadable.pdf"));
    EXPECT_EQ(Read(u"C:\\Att\\shared.pdf"), "S");
}

TEST_F(Links, FilesAreDeletedAfterACancelButNotAfterAnError) {
    platform.WriteFile(u"C:\\Att\\a.pdf", "A");
    platform.WriteFile(u"C:\\Att\\b.pdf", "B");
    auto& inbox = Inbox();
    auto& failing = inbox.Mail(u"failing").Link(u"C:\\Att\\b.pdf");
    auto& first = inbox.Mail(u"first").Link(u"C:\\Att\\a.pdf");
    Track(failing, 1);
    Track(first, 1);
    failing.Faults().FailOn("Save", E_FAIL, u"store is read-only");

    EXPECT_THROW(engine.ReintroduceFolder(InboxFolder(), false, true), host::HostError);
    EXPECT_TRUE(Exists(u"C:\\Att\\a.pdf"));
    EXPECT_TRUE(Exists(u"C:\\Att\\b.pdf"));
    EXPECT_FALSE(engine.Busy());

    // The error came after the first item visited had its link reintroduced.
    EXPECT_EQ(inbox.ItemAt(2).SavedAttachments()[0]->Type(), Outlook::olByValue);

    failing.Faults().Clear();
    Track(inbox.Mail(u"third").Link(u"C:\\Att\\a.pdf"), 1);
    engine.OnProcessMail = [](auto& e, const auto&) { e.Cancel(); };
    engine.ReintroduceFolder(InboxFolder(), false, true);
    // The walk stopped after the item it visited first, whose file was then deleted.
    EXPECT_FALSE(Exists(u"C:\\Att\\a.pdf"));
    EXPECT_TRUE(Exists(u"C:\\Att\\b.pdf"));
    EXPECT_EQ(failing.SaveCount(), 0);
}

TEST_F(Links, SendCheckReportsWhetherEverythingCameBack) {
    platform.WriteFile(u"C:\\Att\\a.pdf", "A");
    auto& item = b.LooseItem(sim::ItemKind::Mail, u"outgoing").Link(u"C:\\Att\\a.pdf").Link(u"C:\\Att\\missing.pdf");
    Track(item, 1);
    Track(item, 2, "missing");
    auto mailItem = sim::As<Outlook::_MailItem>(item);
    EXPECT_TRUE(engine.HasLinkAttachments(mailItem.Get()));

    TOutlookMailItem mail(mailItem);
    EXPECT_FALSE(engine.ReintroduceMail(mail, false));

    auto& complete = b.LooseItem(sim::ItemKind::Mail, u"complete").Link(u"C:\\Att\\a.pdf");
    Track(complete, 1);
    TOutlookMailItem completeMail(sim::As<Outlook::_MailItem>(complete));
    EXPECT_TRUE(engine.ReintroduceMail(completeMail, false));
    EXPECT_TRUE(Exists(u"C:\\Att\\a.pdf"));
    EXPECT_FALSE(engine.HasLinkAttachments(sim::As<Outlook::_MailItem>(complete).Get()));
}

TEST_F(Links, SendCheckFindsALinkInFirstPlaceAfterLookingAtTheOthers) {
    auto& item = b.LooseItem(sim::ItemKind::Mail, u"m").Link(u"C:\\a.pdf").Attach(u"b.txt", "B").Ole(u"o");
    EXPECT_TRUE(engine.HasLinkAttachments(sim::As<Outlook::_MailItem>(item).Get()));
    EXPECT_EQ(item.AttachmentAt(3).Faults().Calls("Type"), 1);
    EXPECT_FALSE(engine.Busy());
}

TEST_F(Links, ReRootMovesFilesUnderTheOldRootAndRepointsTheLinks) {
    platform.WriteFile(u"C:\\Attachments\\Inbox\\a.pdf", "A");
    auto& item = Inbox().Mail(u"m").Link(u"E:\\Other\\b.pdf").Link(u"c:\\attachments\\Inbox\\a.pdf").Attach(u"x.txt", "X");
    Track(item, 1, "B");
    Track(item, 2);

    engine.ReRootFolder(InboxFolder(), false, u"C:\\Attachments\\", u"D:\\Attachments\\");

    EXPECT_THAT(log.Events(), ElementsAre("folder Inbox", "mail m", "att x.txt", "status 8 x.txt | ", "att a.pdf",
                                          "status 12 a.pdf | D:\\Attachments\\Inbox\\", "att b.pdf", "status 11 b.pdf | "));
    EXPECT_EQ(Read(u"D:\\Attachments\\Inbox\\a.pdf"), "A");
    EXPECT_FALSE(Exists(u"C:\\Attachments\\Inbox\\a.pdf"));
    EXPECT_THAT(Paths(item), ElementsAre(u"E:\\Other\\b.pdf", u"", u"D:\\Attachments\\Inbox\\a.pdf"));
    EXPECT_EQ(item.SavedAttachments()[2]->Type(), Outlook::olByReference);
    EXPECT_EQ(engine.MessageCount(), 1);
    EXPECT_EQ(engine.AttachmentCount(), 1);
}

TEST_F(Links, ReRootIntoASubFolderOfTheOldRoot) {
    platform.WriteFile(u"C:\\Att\\a.pdf", "A");
    auto& item = Inbox().Mail(u"m").Link(u"C:\\Att\\a.pdf");
    Track(item, 1);
    engine.ReRootFolder(InboxFolder(), false, u"C:\\Att\\", u"C:\\Att\\Archive\\");
    EXPECT_EQ(Read(u"C:\\Att\\Archive\\a.pdf"), "A");
    EXPECT_THAT(Paths(item), ElementsAre(u"C:\\Att\\Archive\\a.pdf"));
}

TEST_F(Links, AnExistingDestinationIsKeptAndTheLinkStillFollows) {
    // The files were copied to the new root already; one of them is gone from the old.
    platform.WriteFile(u"C:\\Att\\a.pdf", "copied");
    platform.WriteFile(u"D:\\Att\\a.pdf", "copied");
    platform.WriteFile(u"D:\\Att\\b.pdf", "only here");
    auto& item = Inbox().Mail(u"m").Link(u"C:\\Att\\b.pdf").Link(u"C:\\Att\\a.pdf");
    Track(item, 1, "only here");
    Track(item, 2);
    engine.ReRootFolder(InboxFolder(), false, u"C:\\Att\\", u"D:\\Att\\");
    EXPECT_THAT(log.Events(), ElementsAre("folder Inbox", "mail m", "att a.pdf", "status 13 D:\\Att\\a.pdf | ",
                                          "status 12 a.pdf | D:\\Att\\", "att b.pdf", "status 13 D:\\Att\\b.pdf | ",
                                          "status 12 b.pdf | D:\\Att\\"));
    EXPECT_EQ(Read(u"C:\\Att\\a.pdf"), "copied");
    EXPECT_THAT(Paths(item), ElementsAre(u"D:\\Att\\a.pdf", u"D:\\Att\\b.pdf"));
}

TEST_F(Links, ALinkIsNotRepointedToAnotherFileOfTheSameName) {
    platform.WriteFile(u"C:\\Att\\a.pdf", "the linked file");
    platform.WriteFile(u"D:\\Att\\a.pdf", "someone else's file");
    auto& item = Inbox().Mail(u"m").Link(u"C:\\Att\\a.pdf");
    Track(item, 1);
    engine.ReRootFolder(InboxFolder(), false, u"C:\\Att\\", u"D:\\Att\\");
    EXPECT_THAT(log.Events(), ElementsAre("folder Inbox", "mail m", "att a.pdf", "status 13 D:\\Att\\a.pdf | "));
    EXPECT_THAT(Paths(item), ElementsAre(u"C:\\Att\\a.pdf"));
    EXPECT_EQ(item.SaveCount(), 0);
    EXPECT_EQ(Read(u"D:\\Att\\a.pdf"), "someone else's file");
}

// A link whose file is at neither place is reported; one stale link does not end the run.
TEST_F(Links, ALinkWhoseFileIsAtNeitherPlaceIsReportedAndTheRunGoesOn) {
    platform.WriteFile(u"C:\\Att\\a.pdf", "A");
    auto& good = Inbox().Mail(u"good").Link(u"C:\\Att\\a.pdf");
    auto& stale = Inbox().Mail(u"stale").Link(u"C:\\Att\\nowhere.pdf");
    Track(good, 1);
    Track(stale, 1, "gone");
    engine.ReRootFolder(InboxFolder(), false, u"C:\\Att\\", u"D:\\Att\\");
    EXPECT_THAT(log.Events(), ElementsAre("folder Inbox", "mail stale", "att nowhere.pdf",
                                          "status 10 C:\\Att\\nowhere.pdf | ", "mail good", "att a.pdf",
                                          "status 12 a.pdf | D:\\Att\\"));
    EXPECT_THAT(Paths(stale), ElementsAre(u"C:\\Att\\nowhere.pdf"));
    EXPECT_THAT(Paths(good), ElementsAre(u"D:\\Att\\a.pdf"));
    EXPECT_FALSE(engine.Busy());
}

TEST_F(Links, ADestinationDirectoryThatCannotBeMadeEndsTheRun) {
    platform.WriteFile(u"C:\\Att\\a.pdf", "A");
    Track(Inbox().Mail(u"m").Link(u"C:\\Att\\a.pdf"), 1);
    try {
        engine.ReRootFolder(InboxFolder(), false, u"C:\\Att\\", u"Q:\\Att\\");
        FAIL();
    } catch (const EOutlookManagerException& error) {
        EXPECT_EQ(error.Message(), u"Error creating directory: Q:\\Att\\");
    }
    EXPECT_TRUE(Exists(u"C:\\Att\\a.pdf"));
}

TEST_F(Links, AFileMovedForALinkThatCannotBeRepointedGoesBack) {
    platform.WriteFile(u"C:\\Att\\a.pdf", "A");
    auto& item = Inbox().Mail(u"m").Link(u"C:\\Att\\a.pdf");
    Track(item, 1);
    item.AttachmentList().Faults().FailOn("Add", E_FAIL, u"item is locked");
    EXPECT_THROW(engine.ReRootFolder(InboxFolder(), false, u"C:\\Att\\", u"D:\\Att\\"), host::HostError);
    EXPECT_EQ(Read(u"C:\\Att\\a.pdf"), "A");
    EXPECT_FALSE(Exists(u"D:\\Att\\a.pdf"));
    EXPECT_THAT(Paths(item), ElementsAre(u"C:\\Att\\a.pdf"));
}

TEST_F(Links, AnUnreadableNameAbandonsTheItem) {
    platform.WriteFile(u"C:\\Att\\a.pdf", "A");
    auto& item = Inbox().Mail(u"m").Link(u"C:\\Att\\a.pdf").Link(u"C:\\Att\\b.pdf");
    item.AttachmentAt(2).Data().DisplayName = u"b link";
    item.AttachmentAt(2).Faults().FailOn("FileName", E_FAIL, u"unreadable");
    engine.ReRootFolder(InboxFolder(), false, u"C:\\Att\\", u"D:\\Att\\");
    EXPECT_THAT(log.Events(), ElementsAre("folder Inbox", "mail m", "status 3 b link | "));
    EXPECT_EQ(engine.MessageCount(), 0);
    EXPECT_TRUE(Exists(u"C:\\Att\\a.pdf"));
}

TEST_F(Links, SelectionRunsVisitEveryItemInOrder) {
    platform.WriteFile(u"C:\\Att\\a.pdf", "A");
    platform.WriteFile(u"C:\\Att\\b.pdf", "B");
    auto& inbox = Inbox();
    auto& first = inbox.Mail(u"first").Link(u"C:\\Att\\a.pdf");
    auto& second = inbox.Mail(u"second").Link(u"C:\\Att\\b.pdf");
    Track(first, 1);
    Track(second, 1);
    b.MainExplorer().Select({&first, &second});
    TMailSelection selection;
    ASSERT_TRUE(engine.GetSelectedItems(selection));
    engine.ReRootSelection(selection, u"C:\\Att\\", u"D:\\New\\");
    EXPECT_THAT(log.Events(), ElementsAre("mail first", "att a.pdf", "status 12 a.pdf | D:\\New\\", "mail second",
                                          "att b.pdf", "status 12 b.pdf | D:\\New\\"));
    engine.ReintroduceSelection(selection, true);
    EXPECT_EQ(first.SavedAttachments()[0]->Data().Content, "A");
    EXPECT_FALSE(Exists(u"D:\\New\\b.pdf"));
}

}  // namespace
