// Connection, selection, traversal order, counters, cancel and errors of the engine.
#include "EngineFixture.h"
#include "host/HostError.h"

using namespace velmora;
using engine_test::EngineTest;
using ::testing::ElementsAre;

namespace {

class Traversal : public EngineTest {
protected:
    Traversal() { engine.Config().SetSaveOnlyBiggerThan(0); }
};

TEST_F(Traversal, FolderTreeRunReportsEveryStepWithItsCounters) {
    auto& inbox = Inbox();
    inbox.Mail(u"first").Attach(u"a.pdf", "A").Attach(u"b.txt", "B");
    inbox.Mail(u"second");
    inbox.Folder(u"Projects").Mail(u"p").Attach(u"p.doc", "P");
    inbox.Folder(u"Zeta").Task(u"t").Attach(u"t.xls", "T");

    engine.SaveFolder(u"C:\\Out", sim::As<Outlook::MAPIFolder>(inbox).Get(), true, false);

    EXPECT_THAT(log.lines,
                ElementsAre("folder Inbox [F1 M0 A0]", "mail second [F1 M0 A0]", "mail first [F1 M1 A0]",
                            "att b.txt [F1 M1 A0]", "status 0 C:\\Out\\Inbox\\b.txt | C:\\Out\\Inbox [F1 M1 A1]",
                            "att a.pdf [F1 M1 A1]", "status 0 C:\\Out\\Inbox\\a.pdf | C:\\Out\\Inbox [F1 M1 A2]",
                            "folder Zeta [F2 M2 A2]", "mail t [F2 M2 A2]", "att t.xls [F2 M2 A2]",
                            "status 0 C:\\Out\\Inbox\\Zeta\\t.xls | C:\\Out\\Inbox\\Zeta [F2 M2 A3]",
                            "folder Projects [F3 M3 A3]", "mail p [F3 M3 A3]", "att p.doc [F3 M3 A3]",
                            "status 0 C:\\Out\\Inbox\\Projects\\p.doc | C:\\Out\\Inbox\\Projects [F3 M3 A4]"));
    EXPECT_EQ(engine.MessageCount(), 4);
    EXPECT_FALSE(engine.Busy());
    EXPECT_EQ(Read(u"C:\\Out\\Inbox\\Projects\\p.doc"), "P");
}

TEST_F(Traversal, SelectionRunHasNoFolderEventAndUsesTheFirstItemsFolder) {
    auto& first = Inbox().Folder(u"Sub").Mail(u"one").Attach(u"1.txt", "1");
    auto& second = b.Store(u"Archive").Folder(u"Old").Mail(u"two").Attach(u"2.txt", "2");
    b.MainExplorer().Select({&first, &second});

    TMailSelection selection;
    ASSERT_TRUE(engine.GetSelectedItems(selection));
    engine.SaveSelection(u"C:\\Out", selection, false);

    EXPECT_THAT(log.Events(),
                ElementsAre("mail one", "att 1.txt", "status 0 C:\\Out\\Inbox\\Sub\\1.txt | C:\\Out\\Inbox\\Sub",
                            "mail two", "att 2.txt", "status 0 C:\\Out\\Inbox\\Sub\\2.txt | C:\\Out\\Inbox\\Sub"));
    EXPECT_EQ(engine.FolderCount(), 0);
    EXPECT_EQ(engine.MessageCount(), 2);
}

TEST_F(Traversal, FolderPathsMirrorTheStoreBelowItsRoot) {
    engine.Config().SetUseFolderNameAsDir(true);
    auto& root = b.Store(u"Personal Folders");
    auto& inbox = root.Folder(u"Inbox");
    auto& odd = inbox.Folder(u"A:B");
    EXPECT_EQ(engine.GetFolderPath(sim::As<Outlook::MAPIFolder>(inbox).Get()), u"Inbox");
    EXPECT_EQ(engine.GetFolderPath(sim::As<Outlook::MAPIFolder>(odd).Get()), u"Inbox\\A B");
    EXPECT_EQ(engine.GetFolderPath(sim::As<Outlook::MAPIFolder>(root).Get()), u"Personal Folders");
}

TEST_F(Traversal, HostileFolderNamesStayInsideTheTarget) {
    auto& inbox = Inbox();
    inbox.Folder(u"..").Mail(u"up").Attach(u"x.txt", "X");
    inbox.Folder(u"con").Mail(u"device").Attach(u"y.txt", "Y");
    inbox.Folder(u"name. ").Mail(u"dots").Attach(u"z.txt", "Z");

    engine.SaveFolder(u"C:\\Out", sim::As<Outlook::MAPIFolder>(inbox).Get(), true, false);

    EXPECT_EQ(Read(u"C:\\Out\\Inbox\\_\\x.txt"), "X");
    EXPECT_EQ(Read(u"C:\\Out\\Inbox\\_con\\y.txt"), "Y");
    EXPECT_EQ(Read(u"C:\\Out\\Inbox\\name\\z.txt"), "Z");
    EXPECT_FALSE(Exists(u"C:\\Out\\x.txt"));
}

TEST_F(Traversal, EmptyFolderCountsOnceAndSubFoldersAreNotTouchedWhenOff) {
    auto& inbox = Inbox();
    inbox.Folder(u"Sub").Mail(u"never").Attach(u"n.txt", "N");
    inbox.Faults().FailOn("Folders", E_FAIL, u"sub-folders must not be read");

    engine.SaveFolder(u"C:\\Out", sim::As<Outlook::MAPIFolder>(inbox).Get(), false, true);

    EXPECT_THAT(log.lines, ElementsAre("folder Inbox [F1 M0 A0]"));
    EXPECT_FALSE(platform.FileSystem().DirectoryExists(u"C:\\Out"));
}

TEST_F(Traversal, UnsupportedItemsAndUnreadableItemsAreSkippedSilently) {
    auto& inbox = Inbox();
    inbox.Contact(u"person").Attach(u"card.vcf", "V");
    inbox.Mail(u"mail").Attach(u"m.txt", "M");
    inbox.Note(u"note");
    inbox.ItemCollection().Faults().FailOnCall("Item", 1, E_FAIL, u"unreadable");

    engine.SaveFolder(u"C:\\Out", sim::As<Outlook::MAPIFolder>(inbox).Get(), false, false);

    // Item 3 (the note) is unreadable, item 1 (the contact) is not wrapped.
    EXPECT_THAT(log.Events(), ElementsAre("folder Inbox", "mail mail", "att m.txt",
                                          "status 0 C:\\Out\\Inbox\\m.txt | C:\\Out\\Inbox"));
    EXPECT_EQ(engine.MessageCount(), 1);
}

TEST_F(Traversal, CancelDuringAFolderRunStopsAfterTheCurrentAttachment) {
    auto& inbox = Inbox();
    inbox.Mail(u"untouched").Attach(u"u.txt", "U");
    auto& current = inbox.Mail(u"current").Attach(u"c1.txt", "1").Attach(u"c2.txt", "2");
    inbox.Folder(u"Sub").Mail(u"sub").Attach(u"s.txt", "S");
    engine.OnFileExists = nullptr;
    auto logStatus = engine.OnAttachmentStatus;
    engine.OnAttachmentStatus = [&](auto& e, const auto& file, const auto& dir, auto status) {
        logStatus(e, file, dir, status);
        e.Cancel();
    };

    engine.SaveFolder(u"C:\\Out", sim::As<Outlook::MAPIFolder>(inbox).Get(), true, true);

    EXPECT_THAT(log.Events(), ElementsAre("folder Inbox", "mail current", "att c2.txt",
                                          "status 0 C:\\Out\\Inbox\\c2.txt | C:\\Out\\Inbox"));
    EXPECT_EQ(engine.MessageCount(), 0);
    EXPECT_EQ(current.SaveCount(), 0);
    EXPECT_EQ(current.SavedAttachments().size(), 2u);
    EXPECT_EQ(Read(u"C:\\Out\\Inbox\\c2.txt"), "2");
    EXPECT_FALSE(engine.Busy());

    // The next run is not cancelled by what happened in this one.
    engine.OnAttachmentStatus = logStatus;
    log.lines.clear();
    engine.SaveFolder(u"C:\\Out", sim::As<Outlook::MAPIFolder>(inbox.Folder(u"Sub")).Get(), false, false);
    EXPECT_EQ(engine.MessageCount(), 1);
}

TEST_F(Traversal, CancelDuringASelectionRunStopsBeforeTheNextItem) {
    auto& inbox = Inbox();
    auto& one = inbox.Mail(u"one").Attach(u"1a.txt", "a").Attach(u"1b.txt", "b");
    auto& two = inbox.Mail(u"two").Attach(u"2a.txt", "a").Attach(u"2b.txt", "b");
    b.MainExplorer().Select({&one, &two});
    TMailSelection selection;
    ASSERT_TRUE(engine.GetSelectedItems(selection));
    engine.OnProcessMail = [&](auto& e, const auto& subject) {
        log.Add(e, u"mail " + subject);
        e.Cancel();
    };

    engine.SaveSelection(u"C:\\Out", selection, true);

    EXPECT_THAT(log.Events(), ElementsAre("mail one", "att 1b.txt", "status 0 C:\\Out\\Inbox\\1b.txt | C:\\Out\\Inbox"));
    EXPECT_EQ(engine.MessageCount(), 0);
    EXPECT_TRUE(one.HasUnsavedChanges());
    EXPECT_FALSE(two.HasUnsavedChanges());
    EXPECT_FALSE(Exists(u"C:\\Out\\Inbox\\2b.txt"));
    for (sim::Item* item : {&one, &two}) {
        EXPECT_EQ(item->SaveCount(), 0);
        EXPECT_EQ(item->SavedAttachments().size(), 2u);
    }
}

TEST_F(Traversal, CancelOutsideARunHasNoEffect) {
    engine.Cancel();
    auto& inbox = Inbox();
    inbox.Mail(u"m1").Attach(u"1.txt", "1");
    inbox.Mail(u"m2").Attach(u"2.txt", "2");
    engine.SaveFolder(u"C:\\Out", sim::As<Outlook::MAPIFolder>(inbox).Get(), false, false);
    EXPECT_EQ(engine.MessageCount(), 2);
}

TEST_F(Traversal, AnErrorEndsTheRunAndKeepsWhatWasDone) {
    auto& inbox = Inbox();
    auto& failing = inbox.Mail(u"failing").Attach(u"bad.txt", "bad").Attach(u"fine.txt", "fine");
    auto& done = inbox.Mail(u"done").Attach(u"d.txt", "D");
    failing.AttachmentAt(1).Faults().FailOn("SaveToStream", HRESULT_FROM_WIN32(ERROR_DISK_FULL), u"Disk full");

    try {
        engine.SaveFolder(u"C:\\Out", sim::As<Outlook::MAPIFolder>(inbox).Get(), false, true);
        FAIL() << "the run should end with an error";
    } catch (const EOutlookManagerException& error) {
        EXPECT_EQ(error.Message(), u"Error saving attachment bad.txt to directory C:\\Out\\Inbox: Disk full");
    }
    EXPECT_FALSE(engine.Busy());
    EXPECT_EQ(engine.MessageCount(), 1);
    EXPECT_EQ(done.SaveCount(), 1);
    EXPECT_TRUE(done.SavedAttachments().size() == 1 && done.SavedAttachments()[0]->Type() == Outlook::olByReference);
    EXPECT_EQ(failing.SaveCount(), 0);
    EXPECT_EQ(failing.SavedAttachments().size(), 2u);
    EXPECT_EQ(Read(u"C:\\Out\\Inbox\\fine.txt"), "fine");
}

TEST_F(Traversal, ASecondRunFromInsideACallbackIsRefused) {
    auto& inbox = Inbox();
    inbox.Mail(u"m").Attach(u"a.txt", "A");
    std::u16string refusal;
    engine.OnProcessAttachment = [&](auto& e, const auto&) {
        try {
            e.SaveFolder(u"C:\\Other", sim::As<Outlook::MAPIFolder>(inbox).Get(), true, true);
        } catch (const EOutlookManagerException& error) {
            refusal = error.Message();
        }
        EXPECT_TRUE(e.Busy());
    };

    engine.SaveFolder(u"C:\\Out", sim::As<Outlook::MAPIFolder>(inbox).Get(), false, false);

    EXPECT_EQ(refusal, u"A process is already started");
    EXPECT_EQ(Read(u"C:\\Out\\Inbox\\a.txt"), "A");
    EXPECT_FALSE(platform.FileSystem().DirectoryExists(u"C:\\Other"));
}

TEST_F(Traversal, ConnectingAgainOnlyResetsForAnotherApplication) {
    auto& inbox = Inbox();
    inbox.Mail(u"m").Attach(u"a.txt", "A");
    engine.SaveFolder(u"C:\\Out", sim::As<Outlook::MAPIFolder>(inbox).Get(), false, false);
    ASSERT_EQ(engine.MessageCount(), 1);

    engine.Connect(b.App().Identity());
    EXPECT_EQ(engine.MessageCount(), 1);

    sim::OutlookBuilder other;
    engine.Connect(other.App().Identity());
    EXPECT_TRUE(engine.Connected());
    EXPECT_EQ(engine.MessageCount(), 0);

    // Not an application: the connection does not come about, and nothing is held.
    engine.Connect(sim::As<IUnknown>(inbox).Get());
    EXPECT_FALSE(engine.Connected());
    com::ComPtr<Outlook::MAPIFolder> folder;
    EXPECT_FALSE(engine.GetSelectedFolder(folder));
}

TEST_F(Traversal, SelectionQueriesAbsorbHostFailures) {
    auto& inbox = Inbox();
    auto& contact = inbox.Contact(u"c");
    b.MainExplorer().Select({&contact});
    TMailSelection selection;
    EXPECT_FALSE(engine.GetSelectedItems(selection));
    EXPECT_TRUE(selection.empty());

    auto& mail = inbox.Mail(u"m");
    b.MainExplorer().Select({&mail, &contact});
    b.MainExplorer().SelectedItems().Faults().FailOnCall("Item", 2, E_FAIL, u"gone");
    EXPECT_FALSE(engine.GetSelectedItems(selection));
    EXPECT_TRUE(selection.empty());

    com::ComPtr<Outlook::MAPIFolder> folder;
    b.MainExplorer().ShowFolder(&inbox);
    EXPECT_TRUE(engine.GetSelectedFolder(folder));
    b.App().ShowExplorer(false);
    EXPECT_FALSE(engine.GetSelectedFolder(folder));
    EXPECT_FALSE(engine.GetSelectedItems(selection));
}

TEST_F(Traversal, PickFolderAnswersWhatTheUserChose) {
    auto& inbox = Inbox();
    b.Session().AnswerPick(inbox).AnswerPickCancel();
    com::ComPtr<Outlook::MAPIFolder> folder;
    EXPECT_TRUE(engine.PickFolder(folder));
    EXPECT_EQ(folder->Name(), u"Inbox");
    EXPECT_FALSE(engine.PickFolder(folder));
}

}  // namespace
