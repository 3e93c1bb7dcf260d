// The connection operations' results, the host check, and the class
// factory's answers.

#include "AddInFixture.h"
#include "com/Bstr.h"
#include "sim/OtherOfficeApplication.h"

namespace addin_test {
namespace {

using velmora::ComServer;

TEST_F(AddInTest, AHostOtherThanOutlookIsRefusedWithTheMessageAndNothingIsCreated) {
    auto word = com::MakeCom<sim::OtherOfficeApplication>(u"Microsoft Word");
    const std::size_t wordBars = word->Bars().Bars().size();
    addIn = Create();
    SAFEARRAY* custom = nullptr;

    EXPECT_EQ(addIn->OnConnection(word->AsDispatch(), Office::ext_cm_AfterStartup, nullptr, &custom), E_UNEXPECTED);

    ASSERT_EQ(ui.Boxes().Shown().size(), 1u);
    const host::MessageBoxRequest& box = ui.Boxes().Shown()[0].Request;
    EXPECT_EQ(box.Text, u"This Add-in only supports Word , Outlook and Excel.");
    EXPECT_EQ(box.Caption, u"Error");
    EXPECT_EQ(box.Icon, host::MessageIcon::Error);
    EXPECT_EQ(box.Buttons, std::vector<std::u16string>{u"OK"});
    auto info = velmora::TakeErrorInfo();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->Description, u"Initialization failed");
    EXPECT_EQ(info->Source, u"VelmoraAddIn.CVelmoraAddIn");
    EXPECT_EQ(word->Bars().Bars().size(), wordBars);
    EXPECT_EQ(word->Faults().Calls("Name"), 0);

    // Still in its created state: it connects to Outlook afterwards.
    Start();
    EXPECT_NO_THROW(ToolBar());
}

TEST_F(AddInTest, LoadingAfterTheHostStartedBuildsTheBarDuringOnConnection) {
    ASSERT_EQ(Connect(Office::ext_cm_AfterStartup), S_OK);
    EXPECT_EQ(MainButton().State().Caption, u"Velmora");
    EXPECT_EQ(ContextEntries(), 1);
    EXPECT_EQ(b.App().EventSinkCount(), 1u);
}

TEST_F(AddInTest, OnConnectionAtStartupLeavesTheBarsToOnStartupComplete) {
    ASSERT_EQ(Connect(Office::ext_cm_Startup), S_OK);
    EXPECT_EQ(Bars().Find(velmora::kToolBarName), nullptr);
    EXPECT_EQ(Bars().UpdateSinkCount(), 0u);
}

TEST_F(AddInTest, WithoutAnExplorerStartupFailsAndSoDoesAConnectionAfterStartup) {
    b.App().ShowExplorer(false);
    ASSERT_EQ(Connect(Office::ext_cm_Startup), S_OK);
    SAFEARRAY* custom = nullptr;
    EXPECT_TRUE(FAILED(addIn->OnStartupComplete(&custom)));
    EXPECT_EQ(Bars().Find(velmora::kToolBarName), nullptr);
    velmora::TakeErrorInfo();

    addIn.Reset();
    EXPECT_TRUE(FAILED(Connect(Office::ext_cm_AfterStartup)));
    auto info = velmora::TakeErrorInfo();
    ASSERT_TRUE(info);
    EXPECT_NE(info->Description.find(u"explorer"), std::u16string::npos);
}

TEST_F(AddInTest, TheFirstFailingHostCallEndsStartupWithItsCodeAndKeepsWhatWasDone) {
    constexpr HRESULT kRefused = static_cast<HRESULT>(0x800A01A8);
    sim::CommandBar& bar = Bars().Seed({velmora::kToolBarName, Office::msoBarTop, 0, false, false, {{}}});
    bar.ControlAt(1).Faults().FailOn("SetVisible", kRefused, u"The control is locked");
    ASSERT_EQ(Connect(), S_OK);

    SAFEARRAY* custom = nullptr;
    EXPECT_EQ(addIn->OnStartupComplete(&custom), kRefused);
    auto info = velmora::TakeErrorInfo();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->Description, u"The control is locked");
    EXPECT_EQ(info->Source, u"VelmoraAddIn.CVelmoraAddIn");

    EXPECT_EQ(bar.ControlAt(1).State().Caption, u"Velmora");
    EXPECT_EQ(bar.ControlAt(1).ClickSinkCount(), 0u);
    EXPECT_FALSE(bar.Data().Visible);
    EXPECT_EQ(Bars().UpdateSinkCount(), 0u);
}

TEST_F(AddInTest, AStartupCompletedTwiceKeepsOneConnectionPerSource) {
    Start();
    SAFEARRAY* custom = nullptr;
    ASSERT_EQ(addIn->OnStartupComplete(&custom), S_OK);
    EXPECT_EQ(ContextEntries(), 1);
    EXPECT_EQ(MainButton().ClickSinkCount(), 1u);
    EXPECT_EQ(ContextEntry().ClickSinkCount(), 1u);
    EXPECT_EQ(Bars().UpdateSinkCount(), 1u);
    EXPECT_EQ(b.App().EventSinkCount(), 1u);
}

TEST_F(AddInTest, LateBoundCallersReachTheFiveOperationsByName) {
    addIn = Create();
    std::u16string name = u"onconnection";
    LPOLESTR names[] = {reinterpret_cast<LPOLESTR>(name.data())};
    DISPID id = 0;
    ASSERT_EQ(addIn->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    EXPECT_EQ(id, 1);
    std::u16string unknown = u"OnSomethingElse";
    names[0] = reinterpret_cast<LPOLESTR>(unknown.data());
    EXPECT_EQ(addIn->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), DISP_E_UNKNOWNNAME);

    // OnConnection(Application, ext_cm_AfterStartup, AddInInst, custom), last argument first.
    VARIANT args[4];
    for (auto& arg : args) VariantInit(&arg);
    args[3].vt = VT_DISPATCH;
    args[3].pdispVal = Application();
    args[2].vt = VT_I4;
    args[2].lVal = Office::ext_cm_AfterStartup;
    args[1].vt = VT_DISPATCH;
    args[1].pdispVal = nullptr;
    DISPPARAMS params{args, nullptr, 4, 0};
    EXCEPINFO exception{};
    UINT argErr = 0;
    ASSERT_EQ(addIn->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, &exception, &argErr),
              S_OK);
    EXPECT_EQ(MainButton().State().Caption, u"Velmora");

    // A number where the application belongs.
    args[3].vt = VT_I4;
    args[3].lVal = 7;
    EXPECT_EQ(addIn->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, &exception, &argErr),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 3u);
    params.cArgs = 3;
    EXPECT_EQ(addIn->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, &exception, &argErr),
              DISP_E_BADPARAMCOUNT);
}

TEST_F(AddInTest, AFailureReachesLateBoundCallersAsAnException) {
    b.App().ShowExplorer(false);
    addIn = Create();
    SAFEARRAY* custom = nullptr;
    ASSERT_EQ(addIn->OnConnection(Application(), Office::ext_cm_Startup, nullptr, &custom), S_OK);

    VARIANT argument;
    VariantInit(&argument);
    DISPPARAMS params{&argument, nullptr, 1, 0};
    EXCEPINFO exception{};
    EXPECT_EQ(addIn->Invoke(4, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, &exception, nullptr),
              DISP_E_EXCEPTION);
    EXPECT_TRUE(FAILED(exception.scode));
    EXPECT_EQ(com::ToU16(exception.bstrSource), u"VelmoraAddIn.CVelmoraAddIn");
    EXPECT_NE(com::ToU16(exception.bstrDescription), u"");
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    EXPECT_EQ(addIn->OnAddInsUpdate(&custom), S_OK);
}

TEST_F(AddInTest, TheObjectAnswersItsFourInterfacesWithOneIdentity) {
    addIn = Create();
    com::ComPtr<IUnknown> identity = addIn.As<IUnknown>();
    for (const IID& iid : {IID_IDispatch, Office::IID__IDTExtensibility2, velmora::IID_IVelmora}) {
        com::ComPtr<IUnknown> answer = addIn.As<IUnknown>(iid);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer.As<IUnknown>(), identity);
    }
    EXPECT_FALSE(addIn.As<IUnknown>(IID_IClassFactory));
    addIn.Reset();
}

TEST(ClassFactory, AnotherClassIsNotAvailableAndTheFactoryAnswersOnlyItsInterfaces) {
    constexpr CLSID kOther = {0x5C0E7A21, 0x3B9D, 0x4F62, {0xA8, 0xE1, 0x2D, 0x74, 0xC9, 0xB0, 0xF6, 0x14}};
    void* object = &object;
    EXPECT_EQ(ComServer().GetClassObject(kOther, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);

    object = &object;
    EXPECT_EQ(ComServer().GetClassObject(velmora::CLSID_CVelmoraAddIn, IID_IDispatch, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(ComServer().CanUnloadNow(), S_OK);
}

TEST(ClassFactory, TheModuleStaysInUseWhileAnObjectTheFactoryOrALockLives) {
    ASSERT_EQ(ComServer().CanUnloadNow(), S_OK);
    com::ComPtr<IClassFactory> factory;
    ASSERT_EQ(ComServer().GetClassObject(velmora::CLSID_CVelmoraAddIn, IID_IClassFactory,
                                         reinterpret_cast<void**>(factory.Put())),
              S_OK);
    EXPECT_EQ(ComServer().CanUnloadNow(), S_FALSE);

    com::ComPtr<IUnknown> first;
    com::ComPtr<IUnknown> second;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(first.Put())), S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(second.Put())), S_OK);
    EXPECT_NE(first, second);
    ASSERT_EQ(factory->LockServer(TRUE), S_OK);
    factory.Reset();

    EXPECT_EQ(ComServer().CanUnloadNow(), S_FALSE);
    first.Reset();
    second.Reset();
    EXPECT_EQ(ComServer().CanUnloadNow(), S_FALSE);
    velmora::AddInFactory().LockServer(FALSE);
    EXPECT_EQ(ComServer().CanUnloadNow(), S_OK);
}

TEST(ClassFactory, AggregationIsRefused) {
    com::ComPtr<IUnknown> outer = velmora::CreateVelmora();
    void* object = &object;
    EXPECT_EQ(velmora::AddInFactory().CreateInstance(outer.Get(), IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
}

}  // namespace
}  // namespace addin_test
