#include "engine/uOutlookItem.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

#include "base/Utf16.h"
#include "host/HostError.h"
#include "sim/OutlookBuilder.h"

namespace velmora {
namespace {

using sim::ItemKind;

// The object's reference count, read through the count AddRef gives back.
ULONG References(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

void ExpectMessage(const std::function<void()>& call, const std::u16string& message) {
    try {
        call();
        ADD_FAILURE() << "no error raised";
    } catch (const host::HostError& error) {
        ADD_FAILURE() << "host error instead of a general one: " << error.what();
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), message);
    }
}

// Each of the seven operations, called once on a wrapper.
const std::vector<std::pair<const char*, std::function<void(TOutlookItem&)>>>& EveryOperation() {
    static const std::vector<std::pair<const char*, std::function<void(TOutlookItem&)>>> operations = {
        {"Attachments", [](TOutlookItem& w) { w.GetAttachments(); }},
        {"Body", [](TOutlookItem& w) { w.GetBody(); }},
        {"CreationTime", [](TOutlookItem& w) { w.GetCreationTime(); }},
        {"Parent", [](TOutlookItem& w) { w.GetParentFolder(); }},
        {"Subject", [](TOutlookItem& w) { w.GetSubject(); }},
        {"SetBody", [](TOutlookItem& w) { w.SetBody(u"new"); }},
        {"Save", [](TOutlookItem& w) { w.Save(); }},
    };
    return operations;
}

TEST(OutlookItemFactory, PicksTheWrapperByKindAndAsksMailFirst) {
    sim::OutlookBuilder b;
    auto& inbox = b.Store(u"Personal Folders").Folder(u"Inbox");
    struct Case {
        sim::Item& item;
        const std::type_info& wrapper;
        std::int32_t itemType;
    };
    const Case cases[] = {
        {inbox.Mail(u"m"), typeid(TOutlookMailItem), 0},
        {inbox.Appointment(u"a"), typeid(TOutlookAppointmentItem), 1},
        {inbox.MeetingRequest(u"r"), typeid(TOutlookMeetingItem), 1},
        {inbox.Task(u"t"), typeid(TOutlookTaskItem), 3},
        {inbox.Task(u"task+mail").AnswerAlso(ItemKind::Mail), typeid(TOutlookMailItem), 0},
        {inbox.MeetingRequest(u"meeting+appointment").AnswerAlso(ItemKind::Appointment),
         typeid(TOutlookAppointmentItem), 1},
        {inbox.Task(u"task+meeting").AnswerAlso(ItemKind::MeetingRequest), typeid(TOutlookMeetingItem), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.item.Subject()));
        const auto wrapper = TOutlookItemFactory::CreateItem(c.item.Identity());
        ASSERT_TRUE(wrapper);
        const TOutlookItem& made = *wrapper;
        EXPECT_EQ(typeid(made), c.wrapper);
        EXPECT_EQ(made.ItemType(), c.itemType);
        EXPECT_TRUE(made.Initialized());
        EXPECT_EQ(wrapper->GetSubject(), c.item.Subject());
    }
    EXPECT_FALSE(TOutlookItemFactory::CreateItem(inbox.Contact(u"c").Identity()));
    EXPECT_FALSE(TOutlookItemFactory::CreateItem(inbox.Note(u"n").Identity()));
    EXPECT_FALSE(TOutlookItemFactory::CreateItem(nullptr));
}

TEST(OutlookItem, EveryOperationOfAnUninitializedWrapperRaises) {
    TOutlookItem bare;
    TOutlookMailItem overNothing(nullptr);
    EXPECT_EQ(bare.ItemType(), -1);
    EXPECT_FALSE(bare.Initialized());
    EXPECT_FALSE(overNothing.Initialized());
    for (const auto& [name, call] : EveryOperation()) {
        SCOPED_TRACE(name);
        ExpectMessage([&] { call(bare); }, u"Error: outlook item is not initialized");
        ExpectMessage([&] { call(overNothing); }, u"Error: outlook item is not initialized");
    }
}

TEST(OutlookItem, ForwardsToTheHostItem) {
    sim::OutlookBuilder b;
    auto& item = b.Store(u"S").Folder(u"Inbox").Mail(u"Report").Created(2024, 5, 1, 10, 15, 37).WithBody(u"old");
    item.Attach(u"a.pdf", {1, 2, 3});
    const auto wrapper = TOutlookItemFactory::CreateItem(item.Identity());

    EXPECT_EQ(wrapper->GetAttachments()->Count(), 1);
    EXPECT_EQ(wrapper->GetCreationTime(), EncodeDateTime({2024, 5, 1, 10, 15, 37, 0}));
    wrapper->SetBody(u"new");
    EXPECT_EQ(wrapper->GetBody(), u"new");
    EXPECT_EQ(item.SavedBody(), u"old");
    wrapper->Save();
    EXPECT_EQ(item.SavedBody(), u"new");
    EXPECT_EQ(item.SaveCount(), 1);
}

TEST(OutlookItem, ParentFolderIsTheFolderNoneOrAnError) {
    sim::OutlookBuilder b;
    auto& inbox = b.Store(u"S").Folder(u"Inbox");
    const auto inFolder = TOutlookItemFactory::CreateItem(inbox.Mail(u"m").Identity());
    const auto folder = inFolder->GetParentFolder();
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->Name(), u"Inbox");

    EXPECT_FALSE(TOutlookItemFactory::CreateItem(b.LooseItem(ItemKind::Task, u"t").Identity())->GetParentFolder());

    const auto misplaced = TOutlookItemFactory::CreateItem(inbox.Appointment(u"a").ParentNotAFolder().Identity());
    ExpectMessage([&] { misplaced->GetParentFolder(); }, u"Interface not supported");
}

TEST(OutlookItem, HostFailuresReachTheCallerUnchanged) {
    for (const auto& [name, call] : EveryOperation()) {
        SCOPED_TRACE(name);
        sim::OutlookBuilder b;
        auto& item = b.Store(u"S").Folder(u"Inbox").MeetingRequest(u"r");
        const auto wrapper = TOutlookItemFactory::CreateItem(item.Identity());
        item.Faults().FailOnCall(name, 1, E_ACCESSDENIED, u"Access denied.");
        try {
            call(*wrapper);
            ADD_FAILURE() << "no error raised";
        } catch (const host::HostError& error) {
            EXPECT_EQ(error.Code(), E_ACCESSDENIED);
            EXPECT_EQ(error.Message(), u"Access denied.");
        }
        EXPECT_NO_THROW(call(*wrapper));  // the wrapper kept no state from the failure
    }
}

TEST(OutlookItem, AWrapperHoldsOneReferenceUntilItIsFreed) {
    sim::OutlookBuilder b;
    auto& item = b.Store(u"S").Folder(u"Inbox").Appointment(u"a").AnswerAlso(ItemKind::Task);
    const ULONG before = References(item.Identity());
    auto wrapper = TOutlookItemFactory::CreateItem(item.Identity());
    wrapper->GetParentFolder();
    wrapper->GetAttachments();
    EXPECT_EQ(References(item.Identity()), before + 1);
    wrapper.reset();
    EXPECT_EQ(References(item.Identity()), before);
}

}  // namespace
}  // namespace velmora
