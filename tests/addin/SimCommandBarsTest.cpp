// The in-memory host's command bars, application events and dispatch, as
// far as the add-in's tests do not already show them.

#include <gtest/gtest.h>

#include "addin/Automation.h"
#include "addin/ButtonFace.h"
#include "addin/EventSink.h"
#include "host/HostError.h"
#include "sim/ItemDispatch.h"
#include "sim/OutlookBuilder.h"
#include "sim/Variants.h"

namespace {

using velmora::GetProperty;
using velmora::SetProperty;
using velmora::Variant;

// A reference-counted sink for the command bars' events that counts them.
class CountingSink : public com::ComObject<IDispatch> {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        ++events;
        return S_OK;
    }
    int events = 0;

protected:
    void* Find(REFIID iid) override {
        if (iid == Office::DIID__CommandBarsEvents) return static_cast<IDispatch*>(this);
        return ComObject::Find(iid);
    }
};

// The object's references, the caller's included.
ULONG References(IUnknown& object) {
    object.AddRef();
    return object.Release();
}

template <class Call>
HRESULT FailureOf(Call&& call) {
    try {
        call();
    } catch (const host::HostError& error) {
        return error.Code();
    }
    return S_OK;
}

TEST(SimCommandBars, AProtectedBarRefusesNewControlsAndAddedControlsRaiseOnUpdate) {
    sim::OutlookBuilder b;
    sim::CommandBar& menu = *b.App().Bars().Find(u"Context Menu");
    int updates = 0;
    velmora::TCmdBarEventSink sink([&] { ++updates; });
    DWORD cookie = velmora::TEventSink::Connect(b.App().Bars().AsDispatch(), sink);

    menu.Data().Protection = Office::msoBarNoCustomize | Office::msoBarNoMove;
    EXPECT_EQ(FailureOf([&] { menu.Controls()->Add(1, {}, {}, {}, {}); }), E_ACCESSDENIED);
    EXPECT_EQ(updates, 0);

    menu.Data().Protection = Office::msoBarNoMove;
    auto first = menu.Controls()->Add(1, {}, {}, {}, {});
    auto second = menu.Controls()->Add({}, 7, {}, 1, {});
    EXPECT_EQ(updates, 2);
    EXPECT_EQ(menu.Controls()->Item(1), second);
    EXPECT_EQ(menu.ControlAt(1).State().Id, 7);
    EXPECT_EQ(FailureOf([&] { menu.Controls()->Add(10, {}, {}, {}, {}); }), E_INVALIDARG);

    second->SetTag(u"Tagged");
    second->SetVisible(false);
    EXPECT_EQ(menu.FindControl(1, {}, u"Tagged", {}, {}), second);
    EXPECT_FALSE(menu.FindControl(1, {}, u"tagged", {}, {}));
    EXPECT_FALSE(menu.FindControl({}, {}, u"Tagged", true, {}));
    EXPECT_EQ(menu.FindControl({}, 1, {}, {}, {}), first);
    velmora::TEventSink::Disconnect(b.App().Bars().AsDispatch(), sink.GetEventIID(), cookie);
}

TEST(SimCommandBars, AConnectionPointHoldsItsSinksUntilUnadvisedOrGone) {
    auto sink = com::MakeCom<CountingSink>();
    {
        auto bars = com::MakeCom<sim::CommandBars>();
        auto container = com::ComPtr<IDispatch>(bars->AsDispatch()).As<IConnectionPointContainer>();
        com::ComPtr<IConnectionPoint> point;
        ASSERT_EQ(container->FindConnectionPoint(Office::DIID__CommandBarsEvents, point.Put()), S_OK);

        DWORD cookie = 0;
        ASSERT_EQ(point->Advise(sink->Identity(), &cookie), S_OK);
        EXPECT_EQ(References(*sink), 2u);
        bars->RaiseUpdate();
        EXPECT_EQ(sink->events, 1);
        EXPECT_EQ(point->Unadvise(cookie + 1), CONNECT_E_NOCONNECTION);

        // A sink that does not answer the event interface cannot connect.
        DWORD refused = 99;
        EXPECT_EQ(point->Advise(bars->Identity(), &refused), CONNECT_E_CANNOTCONNECT);
        EXPECT_EQ(refused, 0u);
    }
    EXPECT_EQ(References(*sink), 1u);
}

TEST(SimCommandBars, OnlyWhatIsNotTemporaryIsSavedForTheNextStart) {
    sim::OutlookBuilder first;
    auto& bars = first.App().Bars();
    auto kept = bars.Add(u"Kept", {}, {}, {});
    bars.Add(u"Gone", {}, {}, true);
    EXPECT_EQ(FailureOf([&] { bars.Add(u"Kept", {}, {}, {}); }), E_INVALIDARG);
    kept->Controls()->Add(1, {}, {}, {}, {})->SetCaption(u"stays");
    kept->Controls()->Add(1, {}, {}, {}, true)->SetCaption(u"goes");
    kept->SetProtection(Office::msoBarNoResize);

    sim::OutlookBuilder second;
    second.App().Bars().Restore(bars.Saved());
    EXPECT_EQ(second.App().Bars().Find(u"Gone"), nullptr);
    sim::CommandBar* restored = second.App().Bars().Find(u"Kept");
    ASSERT_NE(restored, nullptr);
    ASSERT_EQ(restored->Data().Controls.size(), 1u);
    EXPECT_EQ(restored->ControlAt(1).State().Caption, u"stays");
    EXPECT_EQ(restored->Data().Protection, Office::msoBarNoResize);
    EXPECT_NE(second.App().Bars().Find(u"Context Menu"), nullptr);
}

TEST(SimCommandBars, ButtonsTakeStylePictureAndTooltipByNameAndPasteFromTheClipboard) {
    sim::OutlookBuilder b;
    auto control = b.App().Bars().Find(u"Standard")->Controls()->Add(1, {}, {}, {}, {});
    sim::CommandBarButton& button = b.App().Bars().Find(u"Standard")->ControlAt(1);

    SetProperty(control.Get(), u"style", Variant::OfInt(3));
    SetProperty(control.Get(), u"TOOLTIPTEXT", Variant::OfText(u"tip"));
    auto picture = com::MakeCom<velmora::TFacePicture>(std::vector<std::uint8_t>{9, 8});
    SetProperty(control.Get(), u"Picture", Variant::OfDispatch(picture.Get()));
    EXPECT_EQ(button.State().Style, 3);
    EXPECT_EQ(button.State().TooltipText, u"tip");
    EXPECT_EQ(button.State().Face, (std::vector<std::uint8_t>{9, 8}));
    EXPECT_EQ(button.State().FaceFrom, sim::FaceSource::Picture);

    // A value of the wrong type, and an object that is no picture.
    EXPECT_EQ(FailureOf([&] { SetProperty(control.Get(), u"Style", Variant::OfText(u"3")); }), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(FailureOf([&] { SetProperty(control.Get(), u"Picture", Variant::OfDispatch(control.Get())); }),
              E_INVALIDARG);
    EXPECT_EQ(FailureOf([&] { SetProperty(control.Get(), u"Width", Variant::OfInt(3)); }), DISP_E_UNKNOWNNAME);

    b.App().Bars().RejectPicture();
    EXPECT_EQ(FailureOf([&] { SetProperty(control.Get(), u"Picture", Variant::OfDispatch(picture.Get())); }),
              DISP_E_MEMBERNOTFOUND);
}

TEST(SimApplication, AnswersNameExplorerAndBarsByNameAndHandsTheSentItemOut) {
    sim::OutlookBuilder b;
    IDispatch* application = b.App().AsDispatch();
    EXPECT_EQ(GetProperty(application, u"NAME").Text(), u"Outlook");
    com::ComPtr<IDispatch> explorer = GetProperty(application, u"ActiveExplorer").Dispatch();
    ASSERT_TRUE(explorer);
    EXPECT_EQ(explorer.As<IUnknown>().Get(), b.MainExplorer().Identity());
    EXPECT_EQ(GetProperty(explorer.Get(), u"CommandBars").Dispatch(), GetProperty(application, u"CommandBars").Dispatch());

    b.App().ShowExplorer(false);
    EXPECT_FALSE(GetProperty(application, u"ActiveExplorer").Dispatch());
    b.App().Faults().FailOn("Name", E_FAIL, u"Busy");
    EXPECT_EQ(FailureOf([&] { GetProperty(application, u"Name"); }), E_FAIL);

    // The item an event hands out answers IDispatch and the item's own interfaces, with its identity.
    auto& mail = b.LooseItem(sim::ItemKind::Mail, u"m");
    auto dispatch = com::MakeCom<sim::ItemDispatch>(com::ComPtr<IUnknown>(mail.Identity()));
    com::ComPtr<IDispatch> asDispatch(dispatch.Get());
    EXPECT_TRUE(asDispatch.As<Outlook::_MailItem>());
    EXPECT_FALSE(asDispatch.As<Outlook::_TaskItem>());
    EXPECT_EQ(asDispatch.As<IUnknown>().Get(), mail.Identity());
}

}  // namespace
