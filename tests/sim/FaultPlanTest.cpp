#include <gtest/gtest.h>

#include <stdexcept>

#include "host/HostError.h"
#include "sim/OutlookBuilder.h"

namespace {

// The planned failure as the caller sees it.
template <class Call>
std::pair<HRESULT, std::u16string> Caught(Call&& call) {
    try {
        call();
    } catch (const host::HostError& error) {
        return {error.Code(), error.Message()};
    }
    return {S_OK, u""};
}

TEST(SimFaults, AlwaysFailingOperationReachesTheCallerAndChangesNothing) {
    sim::OutlookBuilder b;
    auto& item = b.LooseItem(sim::ItemKind::Mail, u"m").WithBody(u"old").Attach(u"a.pdf", "A");
    auto mail = sim::As<Outlook::_MailItem>(item);
    auto attachments = mail->Attachments();

    item.Faults().FailOn("SetBody", E_ACCESSDENIED, u"Read only.").FailOn("Save", E_FAIL, u"Disk full.");
    item.AttachmentList().Faults().FailOn("Remove", E_FAIL, u"No.");
    item.AttachmentAt(1).Faults().FailOn("FileName", E_FAIL, u"The operation failed.");

    EXPECT_EQ(Caught([&] { mail->SetBody(u"new"); }), std::make_pair(E_ACCESSDENIED, std::u16string(u"Read only.")));
    EXPECT_EQ(Caught([&] { attachments->Remove(1); }), std::make_pair(E_FAIL, std::u16string(u"No.")));
    EXPECT_EQ(Caught([&] { attachments->Item(1)->FileName(); }),
              std::make_pair(E_FAIL, std::u16string(u"The operation failed.")));
    EXPECT_EQ(mail->Body(), u"old");
    EXPECT_EQ(attachments->Count(), 1);
    EXPECT_EQ(attachments->Item(1)->DisplayName(), u"a.pdf");

    attachments->Add(u"C:\\l.pdf", Outlook::olByReference, 1, u"l.pdf");
    EXPECT_EQ(Caught([&] { mail->Save(); }).first, E_FAIL);
    EXPECT_EQ(Caught([&] { mail->Save(); }).first, E_FAIL);
    EXPECT_TRUE(item.HasUnsavedChanges());
    EXPECT_EQ(item.SaveCount(), 0);
    EXPECT_EQ(item.SavedAttachments().size(), 1u);

    item.Faults().Clear();
    mail->Save();
    EXPECT_EQ(item.SavedAttachments().size(), 2u);
}

TEST(SimFaults, FailsOnlyTheNumberedCallOfThatObject) {
    sim::OutlookBuilder b;
    auto& folder = b.Store(u"P").Folder(u"F");
    auto& first = folder.Mail(u"1").Attach(u"a", "").Attach(u"b", "").Attach(u"c", "");
    auto& second = folder.Mail(u"2").Attach(u"d", "");
    first.AttachmentList().Faults().FailOnCall("Item", 3, E_FAIL, u"third");

    auto attachments = sim::As<Outlook::_MailItem>(first)->Attachments();
    auto other = sim::As<Outlook::_MailItem>(second)->Attachments();
    EXPECT_EQ(attachments->Item(3)->FileName(), u"c");
    EXPECT_EQ(other->Item(1)->FileName(), u"d");  // counted on the other object
    EXPECT_EQ(attachments->Item(2)->FileName(), u"b");
    EXPECT_EQ(Caught([&] { attachments->Item(1); }), std::make_pair(E_FAIL, std::u16string(u"third")));
    EXPECT_EQ(attachments->Item(1)->FileName(), u"a");
    EXPECT_EQ(first.AttachmentList().Faults().Calls("Item"), 4);
    EXPECT_EQ(first.AttachmentList().Faults().Calls("Count"), 0);
}

TEST(SimFaults, EveryObjectOfTheModelCanFail) {
    sim::OutlookBuilder b;
    auto& folder = b.Store(u"P").Folder(u"F");
    auto& item = folder.Task(u"t");
    b.MainExplorer().ShowFolder(&folder);
    auto app = sim::As<Outlook::_Application>(b.App());

    b.App().Faults().FailOn("ActiveExplorer", E_FAIL, u"app");
    b.Session().Faults().FailOn("PickFolder", E_FAIL, u"space");
    b.MainExplorer().Faults().FailOn("CurrentFolder", E_FAIL, u"explorer");
    b.MainExplorer().SelectedItems().Faults().FailOn("Count", E_FAIL, u"selection");
    folder.Faults().FailOn("Items", E_FAIL, u"folder");
    folder.ItemCollection().Faults().FailOn("Count", E_FAIL, u"items");
    b.Store(u"P").FolderCollection().Faults().FailOn("Item", E_FAIL, u"folders");
    item.Faults().FailOn("CreationTime", E_FAIL, u"item");

    com::ComPtr<Outlook::Explorer> explorer(&b.MainExplorer());
    EXPECT_EQ(Caught([&] { app->ActiveExplorer(); }).second, u"app");
    EXPECT_EQ(Caught([&] { app->GetNamespace(u"MAPI")->PickFolder(); }).second, u"space");
    EXPECT_EQ(Caught([&] { explorer->CurrentFolder(); }).second, u"explorer");
    EXPECT_EQ(Caught([&] { explorer->Selection()->Count(); }).second, u"selection");
    EXPECT_EQ(Caught([&] { sim::As<Outlook::MAPIFolder>(folder)->Items(); }).second, u"folder");
    EXPECT_EQ(Caught([&] { folder.ItemCollection().Count(); }).second, u"items");
    EXPECT_EQ(Caught([&] { sim::As<Outlook::MAPIFolder>(b.Store(u"P"))->Folders()->Item(1); }).second, u"folders");
    EXPECT_EQ(Caught([&] { sim::As<Outlook::_TaskItem>(item)->CreationTime(); }).second, u"item");
}

TEST(SimFaults, MisspeltPlansAreRefused) {
    sim::OutlookBuilder b;
    auto& item = b.LooseItem(sim::ItemKind::Mail, u"m");
    EXPECT_THROW(item.Faults().FailOn("Sav", E_FAIL, u""), std::invalid_argument);
    EXPECT_THROW(item.Faults().FailOnCall("Save", 0, E_FAIL, u""), std::invalid_argument);
    EXPECT_THROW(item.Faults().Calls("FileName"), std::invalid_argument);
}

}  // namespace
