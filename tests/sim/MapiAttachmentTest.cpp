#include <gtest/gtest.h>

#include <cstdlib>

#include "mapi/MapiGuid.h"
#include "mapi/MapiTags.h"
#include "sim/OutlookBuilder.h"

namespace {

// Two tags in one array, laid out as MAPI callers build it.
struct TwoTags {
    ULONG cValues = 2;
    ULONG aulPropTag[2] = {PR_ATTACH_SIZE, PR_ATTACH_FLAGS};

    LPSPropTagArray Get() { return reinterpret_cast<LPSPropTagArray>(this); }
};

class SimMapiAttachment : public ::testing::Test {
protected:
    com::ComPtr<IAttachment> Open(sim::Attachment& attachment) {
        return com::ComPtr<Outlook::Attachment>(&attachment)->MAPIOBJECT().As<IAttachment>();
    }

    sim::OutlookBuilder b;
    sim::Item& item = b.LooseItem(sim::ItemKind::Mail, u"m").Attach(u"a.pdf", "12345");
    sim::Attachment& attachment = item.AttachmentAt(1);
};

TEST_F(SimMapiAttachment, GivesPresentPropertiesAsLongs) {
    attachment.Data().Flags = 4;
    auto mapi = Open(attachment);
    ASSERT_TRUE(mapi);
    EXPECT_TRUE(mapi.As<IMAPIProp>());

    TwoTags tags;
    ULONG count = 0;
    LPSPropValue values = nullptr;
    ASSERT_EQ(mapi->GetProps(tags.Get(), 0, &count, &values), S_OK);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(values[0].ulPropTag, PR_ATTACH_SIZE);
    EXPECT_EQ(values[0].Value.l, 5);
    EXPECT_EQ(values[1].ulPropTag, PR_ATTACH_FLAGS);
    EXPECT_EQ(values[1].Value.l, 4);
    std::free(values);
}

TEST_F(SimMapiAttachment, MarksAbsentPropertiesAsErrors) {
    attachment.Data().Size.reset();
    attachment.Data().Flags = 0;
    auto mapi = Open(attachment);

    TwoTags tags;
    ULONG count = 0;
    LPSPropValue values = nullptr;
    ASSERT_EQ(mapi->GetProps(tags.Get(), 0, &count, &values), MAPI_W_ERRORS_RETURNED);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(values[0].ulPropTag, CHANGE_PROP_TYPE(PR_ATTACH_SIZE, PT_ERROR));
    EXPECT_EQ(values[0].Value.err, MAPI_E_NOT_FOUND);
    EXPECT_EQ(values[1].ulPropTag, PR_ATTACH_FLAGS);
    EXPECT_EQ(values[1].Value.l, 0);
    std::free(values);

    // A property the attachment never has is absent too.
    SPropTagArray other{1, {PROP_TAG(PT_LONG, 0x1234)}};
    ASSERT_EQ(mapi->GetProps(&other, 0, &count, &values), MAPI_W_ERRORS_RETURNED);
    EXPECT_EQ(values[0].ulPropTag, PROP_TAG(PT_ERROR, 0x1234));
    std::free(values);
}

TEST_F(SimMapiAttachment, CanAnswerNoIAttachment) {
    attachment.Data().AnswersIAttachment = false;
    auto object = com::ComPtr<Outlook::Attachment>(&attachment)->MAPIOBJECT();
    ASSERT_TRUE(object);
    EXPECT_FALSE(object.As<IAttachment>());
    EXPECT_FALSE(object.As<IMAPIProp>());
}

TEST_F(SimMapiAttachment, ReportsPlannedFailuresAndRejectsMissingArguments) {
    auto mapi = Open(attachment);
    TwoTags tags;
    ULONG count = 7;
    LPSPropValue values = nullptr;
    EXPECT_EQ(mapi->GetProps(nullptr, 0, &count, &values), E_INVALIDARG);
    EXPECT_EQ(mapi->GetProps(tags.Get(), 0, nullptr, &values), E_INVALIDARG);

    attachment.Faults().FailOnCall("GetProps", 1, E_OUTOFMEMORY, u"");
    EXPECT_EQ(mapi->GetProps(tags.Get(), 0, &count, &values), E_OUTOFMEMORY);
    EXPECT_EQ(values, nullptr);
    EXPECT_EQ(count, 7u);
    // The next call answers as usual: a built attachment has no flags.
    ASSERT_EQ(mapi->GetProps(tags.Get(), 0, &count, &values), MAPI_W_ERRORS_RETURNED);
    EXPECT_EQ(values[0].Value.l, 5);
    std::free(values);

    EXPECT_EQ(mapi->SaveChanges(0), E_NOTIMPL);
    EXPECT_EQ(mapi->SetProps(0, nullptr, nullptr), E_NOTIMPL);
    EXPECT_EQ(mapi->GetPropList(0, nullptr), E_NOTIMPL);
}

}  // namespace
