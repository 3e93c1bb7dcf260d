// Link attachments on a client whose object model refuses them: made
// through Extended MAPI on the item's message instead, as the core asked.

#include <gtest/gtest.h>

#include <mapitags.h>

#include "FakeOutlook.h"
#include "host/HostError.h"
#include "host/Outlook.h"
#include "win32/outlook/HostObject.h"

namespace {

using fakehost::FakeOutlook;
using fakehost::LateValue;

com::ComPtr<Outlook::Attachments> AttachmentsOf(fakehost::FakeObject& mail) {
    auto item = win32::HostObject::Wrap(com::ComPtr<IDispatch>(&mail)).As<Outlook::_MailItem>();
    return item ? item->Attachments() : com::ComPtr<Outlook::Attachments>();
}

TEST(Links, ARefusedLinkIsMadeThroughMapiAndComesBackAsTheLastAttachment) {
    FakeOutlook outlook;
    auto mail = outlook.Mail(u"Quarterly", u"");
    auto attachments = AttachmentsOf(*mail);
    ASSERT_TRUE(attachments);
    auto link = attachments->Add(u"C:\\Saved\\Q3 report.pdf", Outlook::olByReference, 1, u"Q3 report.pdf");
    ASSERT_TRUE(link);
    EXPECT_EQ(link->Type(), Outlook::olByReference);
    EXPECT_EQ(link->PathName(), u"C:\\Saved\\Q3 report.pdf");
    EXPECT_EQ(link->DisplayName(), u"Q3 report.pdf");
    EXPECT_EQ(attachments->Count(), 2);

    ASSERT_EQ(outlook.LastMessage().Attachments().size(), 1u);
    const fakehost::MapiAttachmentRecord& made = outlook.LastMessage().Attachments().front();
    EXPECT_EQ(made.Numbers.at(PR_ATTACH_METHOD), ATTACH_BY_REFERENCE);
    EXPECT_EQ(made.Texts.at(PR_ATTACH_LONG_PATHNAME_W), L"C:\\Saved\\Q3 report.pdf");
    EXPECT_EQ(made.Texts.at(PR_ATTACH_PATHNAME_W), L"C:\\Saved\\Q3 report.pdf");
    EXPECT_EQ(made.Texts.at(PR_ATTACH_LONG_FILENAME_W), L"Q3 report.pdf");
    EXPECT_EQ(made.Numbers.at(PR_RENDERING_POSITION), 1);
}

TEST(Links, CopiesGoThroughTheObjectModelAndItsRefusalsReachTheCaller) {
    FakeOutlook outlook;
    auto mail = outlook.Mail(u"Quarterly", u"");
    auto attachments = AttachmentsOf(*mail);
    attachments->Add(u"C:\\Saved\\copy.pdf", Outlook::olByValue, 1, u"copy.pdf");
    EXPECT_EQ(attachments->Count(), 2);
    EXPECT_TRUE(outlook.LastMessage().Attachments().empty());

    // A copy the object model refuses is no link to make another way.
    win32::LateBound late{com::ComPtr<IDispatch>(mail.Get())};
    auto* fakeAttachments = static_cast<fakehost::FakeObject*>(late.Get(u"Attachments").AsObject().Get());
    fakeAttachments->Member(u"Add", 0x65, [](auto&) -> LateValue {
        throw host::HostError(E_ACCESSDENIED, u"The item is read-only.");
    });
    try {
        attachments->Add(u"C:\\Saved\\other.pdf", Outlook::olByValue, 1, u"other.pdf");
        ADD_FAILURE() << "no error";
    } catch (const host::HostError& error) {
        EXPECT_EQ(error.Code(), E_ACCESSDENIED);
        EXPECT_EQ(error.Message(), u"The item is read-only.");
    }
    EXPECT_TRUE(outlook.LastMessage().Attachments().empty());
}

}  // namespace
