#include <gtest/gtest.h>

#include "host/HostError.h"
#include "sim/OutlookBuilder.h"

namespace {

// The code a host call failed with; S_OK when it did not fail.
template <class Call>
HRESULT FailureOf(Call&& call) {
    try {
        call();
    } catch (const host::HostError& error) {
        return error.Code();
    }
    return S_OK;
}

TEST(SimTree, StoreRootsHangUnderTheNamespaceWhichIsNotAFolder) {
    sim::OutlookBuilder b;
    auto& root = b.Store(u"Personal Folders");
    auto& inbox = root.Folder(u"Inbox");
    auto& sub = inbox.Folder(u"Projects");

    auto rootParent = sim::As<Outlook::MAPIFolder>(root)->Parent();
    ASSERT_TRUE(rootParent);
    EXPECT_FALSE(rootParent.As<Outlook::MAPIFolder>());
    EXPECT_EQ(rootParent.Get(), b.Session().Identity());

    auto subParent = sim::As<Outlook::MAPIFolder>(sub)->Parent().As<Outlook::MAPIFolder>();
    ASSERT_TRUE(subParent);
    EXPECT_EQ(subParent->Name(), u"Inbox");
    EXPECT_EQ(subParent->Parent().As<Outlook::MAPIFolder>()->Name(), u"Personal Folders");
}

TEST(SimTree, BuilderFindsExistingFoldersAndKeepsOrder) {
    sim::OutlookBuilder b;
    auto& inbox = b.Store(u"P").Folder(u"Inbox");
    b.Store(u"P").Folder(u"Sent");
    EXPECT_EQ(&b.Store(u"P").Folder(u"Inbox"), &inbox);
    EXPECT_EQ(b.Session().Stores().size(), 1u);

    inbox.Mail(u"first");
    inbox.Task(u"second");
    auto folders = sim::As<Outlook::MAPIFolder>(b.Store(u"P"))->Folders();
    ASSERT_EQ(folders->Count(), 2);
    EXPECT_EQ(folders->Item(1)->Name(), u"Inbox");
    EXPECT_EQ(folders->Item(2)->Name(), u"Sent");

    auto items = sim::As<Outlook::MAPIFolder>(inbox)->Items();
    ASSERT_EQ(items->Count(), 2);
    EXPECT_EQ(items->Item(1).As<Outlook::_MailItem>()->Subject(), u"first");
    EXPECT_EQ(items->Item(2).As<Outlook::_TaskItem>()->Subject(), u"second");
    EXPECT_EQ(items->Item(2).Get(), inbox.ItemAt(2).Identity());
}

TEST(SimTree, CollectionsCountFromOneAndRejectEverythingOutside) {
    sim::OutlookBuilder b;
    auto& inbox = b.Store(u"P").Folder(u"Inbox");
    auto& item = inbox.Mail(u"m").Attach(u"a.pdf", "x").Attach(u"b.pdf", "y");
    b.MainExplorer().Select({&item});

    auto folders = sim::As<Outlook::MAPIFolder>(b.Store(u"P"))->Folders();
    auto items = sim::As<Outlook::MAPIFolder>(inbox)->Items();
    auto attachments = sim::As<Outlook::_MailItem>(item)->Attachments();
    auto selection = b.MainExplorer().Selection();
    for (int outside : {0, -1, 2}) {
        EXPECT_EQ(FailureOf([&] { folders->Item(outside); }), E_INVALIDARG) << outside;
        EXPECT_EQ(FailureOf([&] { items->Item(outside); }), E_INVALIDARG) << outside;
        EXPECT_EQ(FailureOf([&] { selection->Item(outside); }), E_INVALIDARG) << outside;
    }
    EXPECT_EQ(FailureOf([&] { attachments->Item(0); }), E_INVALIDARG);
    EXPECT_EQ(FailureOf([&] { attachments->Item(3); }), E_INVALIDARG);
    EXPECT_EQ(FailureOf([&] { attachments->Remove(3); }), E_INVALIDARG);
    EXPECT_EQ(attachments->Count(), 2);
    EXPECT_EQ(attachments->Item(1)->FileName(), u"a.pdf");
    EXPECT_EQ(attachments->Item(2)->FileName(), u"b.pdf");
}

TEST(SimApplication, GivesOnlyTheMapiNamespace) {
    sim::OutlookBuilder b;
    auto app = sim::As<Outlook::_Application>(b.App());
    ASSERT_TRUE(app);
    EXPECT_EQ(app->GetNamespace(u"MAPI").Get(), static_cast<Outlook::_NameSpace*>(&b.Session()));
    EXPECT_EQ(app->GetNamespace(u"mapi").Get(), static_cast<Outlook::_NameSpace*>(&b.Session()));
    EXPECT_EQ(FailureOf([&] { app->GetNamespace(u"MAPIX"); }), E_INVALIDARG);
    EXPECT_EQ(FailureOf([&] { app->GetNamespace(u""); }), E_INVALIDARG);

    EXPECT_EQ(app->Name(), u"Outlook");
    b.App().SetName(u"Other");
    EXPECT_EQ(app->Name(), u"Other");
}

TEST(SimApplication, ExplorerShowsFolderAndSelectionOrNothing) {
    sim::OutlookBuilder b;
    auto& inbox = b.Store(u"P").Folder(u"Inbox");
    auto& mail = inbox.Mail(u"m");
    auto& contact = inbox.Contact(u"c");
    auto& loose = b.LooseItem(sim::ItemKind::Note, u"n");
    auto app = sim::As<Outlook::_Application>(b.App());

    auto explorer = app->ActiveExplorer();
    ASSERT_TRUE(explorer);
    EXPECT_FALSE(explorer->CurrentFolder());
    EXPECT_EQ(explorer->Selection()->Count(), 0);

    b.MainExplorer().ShowFolder(&inbox).Select({&contact, &mail, &loose});
    EXPECT_EQ(explorer->CurrentFolder()->Name(), u"Inbox");
    auto selection = explorer->Selection();
    ASSERT_EQ(selection->Count(), 3);
    EXPECT_EQ(selection->Item(1).Get(), contact.Identity());
    EXPECT_EQ(selection->Item(2).Get(), mail.Identity());
    EXPECT_EQ(selection->Item(3).Get(), loose.Identity());

    b.App().ShowExplorer(false);
    EXPECT_FALSE(app->ActiveExplorer());
    b.App().ShowExplorer(true);
    EXPECT_EQ(app->ActiveExplorer()->Selection()->Count(), 3);
}

TEST(SimNameSpace, PickFolderAnswersFromTheScriptThenCancels) {
    sim::OutlookBuilder b;
    auto& inbox = b.Store(u"P").Folder(u"Inbox");
    auto& sent = b.Store(u"P").Folder(u"Sent");
    b.Session().AnswerPick(sent).AnswerPickCancel().AnswerPick(inbox);
    auto space = sim::As<Outlook::_Application>(b.App())->GetNamespace(u"MAPI");

    EXPECT_EQ(space->PickFolder()->Name(), u"Sent");
    EXPECT_FALSE(space->PickFolder());
    EXPECT_EQ(space->PickFolder()->Name(), u"Inbox");
    EXPECT_EQ(b.Session().PendingPicks(), 0u);
    EXPECT_FALSE(space->PickFolder());
}

TEST(SimLifetime, ObjectsHeldBeyondTheirTreeLoseTheirParentOnly) {
    com::ComPtr<Outlook::_MailItem> mail;
    com::ComPtr<Outlook::MAPIFolder> folder;
    com::ComPtr<Outlook::MAPIFolder> root;
    {
        sim::OutlookBuilder b;
        auto& inbox = b.Store(u"P").Folder(u"Inbox");
        mail = sim::As<Outlook::_MailItem>(inbox.Mail(u"kept").Attach(u"a.pdf", "x"));
        folder = sim::As<Outlook::MAPIFolder>(inbox.Folder(u"Sub"));
        root = sim::As<Outlook::MAPIFolder>(b.Store(u"Q"));
        EXPECT_TRUE(mail->Parent());
    }
    // The folders above went with the builder; what is still held works on.
    EXPECT_FALSE(mail->Parent());
    EXPECT_FALSE(folder->Parent());
    EXPECT_FALSE(root->Parent());
    EXPECT_EQ(mail->Subject(), u"kept");
    EXPECT_EQ(mail->Attachments()->Count(), 1);
}

}  // namespace
