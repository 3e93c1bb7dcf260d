// The event sinks as a host sees them: the dispatch protocol, the argument
// order and types, and attaching to a connection point.

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "addin/EventSink.h"
#include "com/Bstr.h"
#include "com/ComPtr.h"
#include "host/Office.h"
#include "host/Outlook.h"
#include "sim/CommandBars.h"
#include "sim/Variants.h"

namespace {

using velmora::TAppEventsSink;
using velmora::TButtonEventSink;
using velmora::TCmdBarEventSink;
using velmora::TEventSink;

struct Call {
    IDispatch* object = nullptr;
    VARIANT_BOOL* flag = nullptr;
};

// Invokes the event with its arguments given in the event's order; they
// reach the sink last first, as hosts pass them.
HRESULT Raise(TEventSink& sink, DISPID event, std::vector<VARIANT> arguments, UINT* argErr = nullptr) {
    std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    EXCEPINFO exception{};
    return sink.Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, &exception, argErr);
}

TEST(EventSink, QueryInterfaceAnswersItsOwnEventInterfaceWithItsDispatch) {
    TButtonEventSink button([](IDispatch*, VARIANT_BOOL&) {});
    TCmdBarEventSink bars([] {});
    TAppEventsSink application([](IDispatch*, VARIANT_BOOL&) {});

    struct Case {
        TEventSink& sink;
        IID own;
        IID foreign;
    };
    for (const Case& c : {Case{button, Office::DIID__CommandBarButtonEvents, Office::DIID__CommandBarsEvents},
                          Case{bars, Office::DIID__CommandBarsEvents, Outlook::DIID_ApplicationEvents},
                          Case{application, Outlook::DIID_ApplicationEvents, Office::DIID__CommandBarButtonEvents}}) {
        for (const IID& iid : {IID_IUnknown, IID_IDispatch, c.own}) {
            void* object = nullptr;
            EXPECT_EQ(c.sink.QueryInterface(iid, &object), S_OK);
            EXPECT_EQ(object, static_cast<IDispatch*>(&c.sink));
        }
        void* object = &object;
        EXPECT_EQ(c.sink.QueryInterface(c.foreign, &object), E_NOINTERFACE);
        EXPECT_EQ(object, nullptr);
        EXPECT_EQ(c.sink.GetEventIID(), c.own);
    }
}

TEST(EventSink, ReferenceCountsAreFixedAndNeverFreeTheSink) {
    auto sink = std::make_unique<TCmdBarEventSink>([] {});
    for (int i = 0; i < 3; ++i) EXPECT_EQ(sink->AddRef(), 2u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(sink->Release(), 1u);
    EXPECT_EQ(sink->GetEventIID(), Office::DIID__CommandBarsEvents);
}

TEST(EventSink, TypeInformationAndNamesAreNotOffered) {
    TCmdBarEventSink sink([] {});
    UINT count = 7;
    EXPECT_EQ(sink.GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
    ITypeInfo* typeInfo = reinterpret_cast<ITypeInfo*>(&count);
    EXPECT_EQ(sink.GetTypeInfo(0, LOCALE_USER_DEFAULT, &typeInfo), E_NOTIMPL);
    EXPECT_EQ(typeInfo, nullptr);
    std::u16string name = u"OnUpdate";
    LPOLESTR names[] = {reinterpret_cast<LPOLESTR>(name.data())};
    DISPID id = 12345;
    EXPECT_EQ(sink.GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), E_NOTIMPL);
    EXPECT_EQ(id, 12345);
}

TEST(EventSink, OnlyTheHandledDispatchIdentifierCallsTheHandler) {
    std::vector<Call> clicks;
    TButtonEventSink button([&](IDispatch* ctrl, VARIANT_BOOL& cancel) { clicks.push_back({ctrl, &cancel}); });
    int updates = 0;
    TCmdBarEventSink bars([&] { ++updates; });
    int sends = 0;
    TAppEventsSink application([&](IDispatch*, VARIANT_BOOL&) { ++sends; });

    VARIANT_BOOL flag = VARIANT_FALSE;
    EXPECT_EQ(Raise(button, 2, {sim::BorrowedDispatch(nullptr), sim::BoolReference(flag)}), S_OK);
    EXPECT_EQ(Raise(bars, 2, {}), S_OK);
    EXPECT_EQ(Raise(application, Outlook::DISPID_NewMail, {}), S_OK);
    EXPECT_EQ(Raise(application, Office::DISPID_Click, {sim::BorrowedDispatch(nullptr), sim::BoolReference(flag)}),
              S_OK);
    EXPECT_TRUE(clicks.empty());
    EXPECT_EQ(updates, 0);
    EXPECT_EQ(sends, 0);

    EXPECT_EQ(Raise(bars, Office::DISPID_OnUpdate, {}), S_OK);
    EXPECT_EQ(updates, 1);
}

TEST(EventSink, ArgumentsAreReadByTypeWholePointersAndTheReferenceAnswersTheHost) {
    // An object whose address does not fit 32 bits when the platform's do not.
    auto bars = com::MakeCom<sim::CommandBars>();
    IDispatch* item = bars->AsDispatch();
    std::vector<Call> sends;
    TAppEventsSink application([&](IDispatch* sent, VARIANT_BOOL& cancel) {
        sends.push_back({sent, &cancel});
        cancel = VARIANT_TRUE;
    });

    VARIANT_BOOL cancel = VARIANT_FALSE;
    EXPECT_EQ(Raise(application, Outlook::DISPID_ItemSend, {sim::BorrowedDispatch(item), sim::BoolReference(cancel)}),
              S_OK);
    ASSERT_EQ(sends.size(), 1u);
    EXPECT_EQ(sends[0].object, item);
    EXPECT_EQ(sends[0].flag, &cancel);
    EXPECT_EQ(cancel, VARIANT_TRUE);

    // The object by reference is read through its reference too.
    IDispatch* held = item;
    VARIANT byReference;
    VariantInit(&byReference);
    byReference.vt = VT_DISPATCH | VT_BYREF;
    byReference.ppdispVal = &held;
    EXPECT_EQ(Raise(application, Outlook::DISPID_ItemSend, {byReference, sim::BoolReference(cancel)}), S_OK);
    ASSERT_EQ(sends.size(), 2u);
    EXPECT_EQ(sends[1].object, item);
}

TEST(EventSink, MissingOrMistypedArgumentsCallNoHandler) {
    int clicks = 0;
    TButtonEventSink button([&](IDispatch*, VARIANT_BOOL&) { ++clicks; });
    VARIANT_BOOL flag = VARIANT_FALSE;
    UINT argErr = 99;

    EXPECT_EQ(Raise(button, Office::DISPID_Click, {sim::BorrowedDispatch(nullptr)}), DISP_E_BADPARAMCOUNT);
    // A boolean passed by value cannot carry the answer back.
    EXPECT_EQ(Raise(button, Office::DISPID_Click, {sim::BorrowedDispatch(nullptr), sim::BoolVariant(false)}, &argErr),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 0u);
    EXPECT_EQ(Raise(button, Office::DISPID_Click, {sim::IntVariant(5), sim::BoolReference(flag)}, &argErr),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 1u);
    EXPECT_EQ(clicks, 0);
}

TEST(EventSink, AnErrorEscapingAHandlerStopsAtTheSink) {
    TCmdBarEventSink sink([] { throw std::runtime_error("handler failed"); });
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXCEPINFO exception{};
    EXPECT_EQ(sink.Invoke(Office::DISPID_OnUpdate, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr,
                          &exception, nullptr),
              DISP_E_EXCEPTION);
    EXPECT_TRUE(FAILED(exception.scode));
    SysFreeString(exception.bstrDescription);
}

TEST(EventSink, ConnectAdvisesOnTheSourcesPointAndDisconnectClearsTheCookie) {
    auto bars = com::MakeCom<sim::CommandBars>();
    int updates = 0;
    TCmdBarEventSink sink([&] { ++updates; });

    DWORD cookie = TEventSink::Connect(bars->AsDispatch(), sink);
    EXPECT_NE(cookie, 0u);
    EXPECT_EQ(bars->UpdateSinkCount(), 1u);
    bars->RaiseUpdate();
    EXPECT_EQ(updates, 1);

    TEventSink::Disconnect(bars->AsDispatch(), sink.GetEventIID(), cookie);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(bars->UpdateSinkCount(), 0u);
    bars->RaiseUpdate();
    EXPECT_EQ(updates, 1);

    // Cookie 0 and an unknown cookie do nothing, and report nothing.
    TEventSink::Disconnect(bars->AsDispatch(), sink.GetEventIID(), cookie);
    DWORD stale = 4711;
    TEventSink::Disconnect(bars->AsDispatch(), sink.GetEventIID(), stale);
    EXPECT_EQ(stale, 4711u);
}

TEST(EventSink, ASourceWithoutThatConnectionPointGivesCookieZero) {
    auto bars = com::MakeCom<sim::CommandBars>();
    TButtonEventSink button([](IDispatch*, VARIANT_BOOL&) {});
    EXPECT_EQ(TEventSink::Connect(bars->AsDispatch(), button), 0u);
    EXPECT_EQ(TEventSink::Connect(nullptr, button), 0u);

    sim::CommandBar& menu = *bars->Find(u"Context Menu");
    EXPECT_EQ(TEventSink::Connect(menu.AsDispatch(), button), 0u);
}

}  // namespace
