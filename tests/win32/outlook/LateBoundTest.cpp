// Late-bound calls of the client's objects: names looked up once, arguments
// in the client's order with left-out ones marked, objects set by
// reference, and the client's failures as host errors with its code and text.

#include <gtest/gtest.h>

#include "FakeObject.h"
#include "host/HostError.h"
#include "win32/outlook/LateBound.h"

namespace {

using fakehost::FakeObject;
using fakehost::LateValue;
using win32::LateBound;

TEST(LateBound, ANameIsLookedUpOnceForAnObjectWithoutTypeInformation) {
    auto object = fakehost::MakeFake();
    object->Property(u"Caption", 7, LateValue::Text(u"old"));
    LateBound late{com::ComPtr<IDispatch>(object.Get())};
    EXPECT_EQ(late.Get(u"Caption").AsText(), u"old");
    late.Put(u"CAPTION", LateValue::Text(u"new"));
    EXPECT_EQ(late.Get(u"caption").AsText(), u"new");
    EXPECT_EQ(object->NameLookups(), 1);
}

TEST(LateBound, ArgumentsKeepTheirOrderAndLeftOutOnesAreMarked) {
    auto object = fakehost::MakeFake();
    object->Member(u"Add", 3, [](auto&) { return LateValue::Int(1); });
    LateBound late{com::ComPtr<IDispatch>(object.Get())};
    late.Call(u"Add", {LateValue::Text(u"name"), LateValue::Optional(std::optional<std::int32_t>()),
                       LateValue::Optional(std::optional<bool>(true))});
    const auto& arguments = object->LastArguments();
    ASSERT_EQ(arguments.size(), 3u);
    EXPECT_EQ(arguments[0].AsText(), u"name");
    EXPECT_EQ(arguments[1].Get().vt, VT_ERROR);
    EXPECT_EQ(arguments[1].Get().scode, DISP_E_PARAMNOTFOUND);
    EXPECT_TRUE(arguments[2].AsBool());
}

TEST(LateBound, TheClientsFailuresCarryItsCodeAndTextAndUnknownNamesAreNamed) {
    auto object = fakehost::MakeFake();
    object->Member(u"Save", 4, [](auto&) -> LateValue {
        throw host::HostError(static_cast<HRESULT>(0x80040109), u"The item has been moved or deleted.");
    });
    LateBound late{com::ComPtr<IDispatch>(object.Get())};
    try {
        late.Call(u"Save");
        ADD_FAILURE() << "no error";
    } catch (const host::HostError& error) {
        EXPECT_EQ(error.Code(), static_cast<HRESULT>(0x80040109));
        EXPECT_EQ(error.Message(), u"The item has been moved or deleted.");
    }
    try {
        late.Get(u"Nonsense");
        ADD_FAILURE() << "no error";
    } catch (const host::HostError& error) {
        EXPECT_EQ(error.Code(), DISP_E_UNKNOWNNAME);
        EXPECT_NE(error.Message().find(u"Nonsense"), std::u16string::npos);
    }
    EXPECT_FALSE(late.Find(u"Nonsense"));
}

TEST(LateBound, ValuesConvertAsAutomationDoesOrFailAsMismatches) {
    EXPECT_EQ(LateValue::Text(u"42").AsInt(), 42);
    EXPECT_TRUE(LateValue::Int(-1).AsBool());
    EXPECT_EQ(LateValue().AsText(), u"");
    EXPECT_FALSE(LateValue().AsObject());
    EXPECT_THROW(LateValue::Text(u"many").AsInt(), host::HostError);
    EXPECT_THROW(LateValue::Int(3).AsObject(), host::HostError);
}

}  // namespace
