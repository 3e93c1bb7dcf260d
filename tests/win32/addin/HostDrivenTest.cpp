// velmora.dll as the mail client drives it: created by its ProgID through
// COM and connected to a client whose objects answer only late-bound calls
// (the fake client), it makes its command bar and button through the
// adapters, takes the button's click and the application's ItemSend through
// the client's connection points, guards mail that carries links, and lets
// go of every sink when it is disconnected.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "DllFixture.h"
#include "FakeOutlook.h"
#include "RegisteredDll.h"
#include "base/Utf16.h"
#include "com/Bstr.h"
#include "host/Office.h"
#include "host/Outlook.h"

namespace win32test {

namespace {

using fakehost::FakeObject;
using fakehost::FakeOutlook;
using fakehost::LateValue;

class HostDriven : public RegisteredDll {
protected:
    void SetUp() override {
        RegisteredDll::SetUp();
        // Nobody answers the add-in's windows here: each takes its Esc answer.
        _putenv("VELMORA_HEADLESS_UI=1");
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        CLSID clsid{};
        ASSERT_EQ(CLSIDFromProgID(kProgId, &clsid), S_OK);
        ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                   reinterpret_cast<void**>(&addIn)),
                  S_OK);
    }
    void TearDown() override {
        if (addIn != nullptr) addIn->Release();
        CoUninitialize();
        RegisteredDll::TearDown();
    }

    // Calls an operation of the connection interface late-bound, as the
    // client does; a failure's text goes to lastError.
    HRESULT Drive(const wchar_t* name, std::vector<LateValue> arguments) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = DISPID_UNKNOWN;
        if (HRESULT found = addIn->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id); FAILED(found)) {
            return found;
        }
        std::vector<VARIANT> reversed;
        for (auto argument = arguments.rbegin(); argument != arguments.rend(); ++argument) {
            reversed.push_back(argument->Get());
        }
        DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        EXCEPINFO exception{};
        const HRESULT result =
            addIn->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, &exception, nullptr);
        lastError = velmora::ToUtf8(com::ToU16(exception.bstrDescription));
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
        return result;
    }

    void Connect() {
        ASSERT_EQ(Drive(L"OnConnection", {LateValue::Object(&outlook.Application()), LateValue::Int(1),
                                          LateValue::Object(addInInstance.Get()), LateValue()}),
                  S_OK)
            << lastError;
        ASSERT_EQ(Drive(L"OnStartupComplete", {LateValue()}), S_OK) << lastError;
    }

    static VARIANT ByReference(VARIANT_BOOL& flag) {
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_BOOL | VT_BYREF;
        value.pboolVal = &flag;
        return value;
    }

    VARIANT_BOOL Send(FakeObject& mail) {
        VARIANT_BOOL cancel = VARIANT_FALSE;
        EXPECT_EQ(outlook.Application().Fire(Outlook::DIID_ApplicationEvents, Outlook::DISPID_ItemSend,
                                             {LateValue::Object(&mail).Get(), ByReference(cancel)}),
                  S_OK);
        return cancel;
    }

    IDispatch* addIn = nullptr;
    std::string lastError;
    FakeOutlook outlook;
    com::ComPtr<FakeObject> addInInstance = fakehost::MakeFake();
};

TEST_F(HostDriven, ConnectingMakesTheBarAndItsButtonThroughLateBoundCalls) {
    Connect();
    FakeObject* bar = outlook.Bar(u"VelmoraCommandBar");
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->Value(u"Visible").AsBool());
    const std::vector<FakeObject*> controls = outlook.Controls(*bar);
    ASSERT_EQ(controls.size(), 1u);
    FakeObject& button = *controls.front();
    EXPECT_EQ(button.Value(u"Caption").AsText(), u"Velmora");
    EXPECT_TRUE(button.Value(u"Visible").AsBool());
    // The face reached the client as a picture object of the system.
    const VARIANT& picture = button.Value(u"Picture").Get();
    ASSERT_EQ(picture.vt, VT_DISPATCH);
    IUnknown* systemPicture = nullptr;
    EXPECT_EQ(picture.pdispVal->QueryInterface(IID_IPictureDisp, reinterpret_cast<void**>(&systemPicture)), S_OK);
    if (systemPicture != nullptr) systemPicture->Release();

    EXPECT_EQ(button.SinkCount(Office::DIID__CommandBarButtonEvents), 1u);
    EXPECT_EQ(outlook.CommandBars().SinkCount(Office::DIID__CommandBarsEvents), 1u);
    EXPECT_EQ(outlook.Application().SinkCount(Outlook::DIID_ApplicationEvents), 1u);

    // A second start finds its bar and button again instead of adding more.
    ASSERT_EQ(Drive(L"OnStartupComplete", {LateValue()}), S_OK);
    EXPECT_EQ(outlook.Controls(*bar).size(), 1u);
    EXPECT_EQ(button.SinkCount(Office::DIID__CommandBarButtonEvents), 1u);
}

TEST_F(HostDriven, ClicksAndSendsReachTheAddInAndMailWithLinksIsHeldBack) {
    Connect();
    FakeObject& button = *outlook.Controls(*outlook.Bar(u"VelmoraCommandBar")).front();
    VARIANT_BOOL cancelDefault = VARIANT_FALSE;
    EXPECT_EQ(button.Fire(Office::DIID__CommandBarButtonEvents, Office::DISPID_Click,
                          {LateValue::Object(&button).Get(), ByReference(cancelDefault)}),
              S_OK);

    auto plain = outlook.Mail(u"Plain", u"");
    EXPECT_EQ(Send(*plain), VARIANT_FALSE);
    // The question whether to put the files back is answered with its Esc
    // answer, Cancel: the mail stays.
    auto linked = outlook.Mail(u"Linked", u"C:\\Attachments\\linked.pdf");
    EXPECT_EQ(Send(*linked), VARIANT_TRUE);
    EXPECT_GE(linked->Calls(u"Attachments"), 1);
}

TEST_F(HostDriven, DisconnectingLetsGoOfEverySink) {
    Connect();
    FakeObject& button = *outlook.Controls(*outlook.Bar(u"VelmoraCommandBar")).front();
    ASSERT_EQ(Drive(L"OnBeginShutdown", {LateValue()}), S_OK);
    ASSERT_EQ(Drive(L"OnDisconnection", {LateValue::Int(0), LateValue()}), S_OK);
    EXPECT_EQ(button.SinkCount(Office::DIID__CommandBarButtonEvents), 0u);
    EXPECT_EQ(outlook.CommandBars().SinkCount(Office::DIID__CommandBarsEvents), 0u);
    EXPECT_EQ(outlook.Application().SinkCount(Outlook::DIID_ApplicationEvents), 0u);
}

TEST_F(HostDriven, AnApplicationThatIsNotTheMailClientIsRefused) {
    auto other = fakehost::MakeFake();
    other->Property(u"Name", 1, LateValue::Text(u"Other"));
    EXPECT_EQ(Drive(L"OnConnection", {LateValue::Object(other.Get()), LateValue::Int(1),
                                      LateValue::Object(addInInstance.Get()), LateValue()}),
              DISP_E_EXCEPTION);
    EXPECT_EQ(lastError, "Initialization failed");
    EXPECT_EQ(outlook.Bar(u"VelmoraCommandBar"), nullptr);
}

}  // namespace

}  // namespace win32test
