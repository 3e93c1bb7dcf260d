#include "AddInFixture.h"

#include <stdexcept>

#include "addin/ButtonFace.h"
#include "addin/ModuleState.h"

namespace addin_test {

AddInTest::AddInTest()
    : clipboardScope(host::UserInterface{&ui.Boxes(), &ui.Pump(), &clipboard, &ui.Shell(), &ui.FolderBrowser(), &ui}) {
    testing_support::InstallMapiProvider(platform.Registry());
    b.Store(u"Personal Folders").Folder(u"Inbox");
}

AddInTest::~AddInTest() {
    if (addIn) Shutdown();
    addIn.Reset();
    // What one test leaves in the module must not reach the next.
    EXPECT_FALSE(velmora::MainDialog());
    EXPECT_FALSE(velmora::ModuleApplication());
    velmora::TakeErrorInfo();
}

com::ComPtr<Office::_IDTExtensibility2> AddInTest::Create() {
    com::ComPtr<IClassFactory> factory;
    EXPECT_EQ(velmora::ComServer().GetClassObject(velmora::CLSID_CVelmoraAddIn, IID_IClassFactory,
                                                  reinterpret_cast<void**>(factory.Put())),
              S_OK);
    com::ComPtr<Office::_IDTExtensibility2> created;
    EXPECT_EQ(factory->CreateInstance(nullptr, Office::IID__IDTExtensibility2,
                                      reinterpret_cast<void**>(created.Put())),
              S_OK);
    return created;
}

HRESULT AddInTest::Connect(Office::ext_ConnectMode mode) {
    if (!addIn) addIn = Create();
    SAFEARRAY* custom = nullptr;
    return addIn->OnConnection(Application(), mode, nullptr, &custom);
}

void AddInTest::Start() {
    ASSERT_EQ(Connect(), S_OK);
    SAFEARRAY* custom = nullptr;
    ASSERT_EQ(addIn->OnStartupComplete(&custom), S_OK);
}

void AddInTest::Shutdown() {
    SAFEARRAY* custom = nullptr;
    EXPECT_EQ(addIn->OnBeginShutdown(&custom), S_OK);
    EXPECT_EQ(addIn->OnDisconnection(Office::ext_dm_HostShutdown, &custom), S_OK);
    addIn.Reset();
}

sim::CommandBar& AddInTest::ToolBar() {
    sim::CommandBar* bar = Bars().Find(velmora::kToolBarName);
    if (bar == nullptr) throw std::logic_error("no VelmoraCommandBar");
    return *bar;
}

sim::CommandBar& AddInTest::ContextMenu() {
    sim::CommandBar* bar = Bars().Find(velmora::kContextMenuName);
    if (bar == nullptr) throw std::logic_error("no Context Menu");
    return *bar;
}

sim::CommandBarButton& AddInTest::ContextEntry() {
    for (const auto& control : ContextMenu().Data().Controls) {
        if (control->State().Tag == velmora::kContextEntryTag) return *control;
    }
    throw std::logic_error("no context entry");
}

int AddInTest::ContextEntries() {
    int found = 0;
    for (const auto& control : ContextMenu().Data().Controls) {
        if (control->State().Tag == velmora::kContextEntryTag) ++found;
    }
    return found;
}

std::vector<std::uint8_t> OwnFace() { return velmora::LoadBitmapResource(u"Ondrel"); }

}  // namespace addin_test
