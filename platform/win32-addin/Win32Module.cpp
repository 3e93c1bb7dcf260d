// velmora.dll's side of the module: the four exports (named undecorated by
// velmora.def) and the Windows platform they run on, installed in the DLL's
// own copy of the platform services at the first call of any export: the
// registry, the file system, the library loader, the system, the catalog of
// saved files and the run locks (both in UserDataFolder). The host's
// objects are reached through late-bound adapters (win32/outlook).

#include <windows.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string_view>

#include "ModuleFile.h"
#include "ModuleTypeLibrary.h"
#include "UserDataFolder.h"
#include "addin/ComServer.h"
#include "addin/HostAdapter.h"
#include "catalog/SqliteCatalogStore.h"
#include "addin/ModuleTypeInfo.h"
#include "host/Platform.h"
#include "sim/ui/SimUserInterface.h"
#include "win32/WideText.h"
#include "win32/outlook/HostObject.h"
#include "win32/registry/Win32Registry.h"
#include "win32/system/LockFileRunLocks.h"
#include "win32/system/Win32FileSystem.h"
#include "win32/system/Win32Libraries.h"
#include "win32/system/Win32System.h"
#include "win32/ui/Win32UserInterface.h"

namespace {

// The add-in's windows are Win32 windows; a host without a display (a test,
// a server) asks for the headless ones instead before loading the DLL (each
// message box written to standard error, taking its Esc answer), as the
// Linux library offers them.
bool HeadlessRequested() {
    const char* value = std::getenv("VELMORA_HEADLESS_UI");
    return value != nullptr && std::string_view(value) == "1";
}

// A run that finds another at work fails at once with its message: the
// host's window thread must not wait.
class ModulePlatform {
public:
    ModulePlatform()
        : modulePath_(win32addin::ModuleFilePath()),
          dataFolder_(win32addin::UserDataFolder()),
          catalog_(dataFolder_ / L"catalog.db"),
          runLocks_(fileSystem_, {}, win32::FromWide((dataFolder_ / L"locks").wstring())),
          scope_(host::Platform{&registry_, &fileSystem_, &libraries_, &system_, &catalog_, &runLocks_}) {
        velmora::SetTypeInfoLoader([path = modulePath_](REFIID iid, ITypeInfo** typeInfo) {
            return win32addin::LoadEmbeddedTypeInfo(path, iid, typeInfo);
        });
        velmora::SetHostAdapter([](IDispatch* application) {
            return win32::HostObject::Wrap(com::ComPtr<IDispatch>(application));
        });
        if (HeadlessRequested()) {
            headless_ = std::make_unique<sim::ui::SimUserInterface>();
        } else {
            windows_ = std::make_unique<win32ui::Win32UserInterface>();
        }
    }

    const std::u16string& ModulePath() const { return modulePath_; }

private:
    std::u16string modulePath_;
    std::filesystem::path dataFolder_;
    win32::Win32Registry registry_;
    win32::Win32FileSystem fileSystem_;
    win32::Win32System system_;
    win32::Win32Libraries libraries_;
    catalog::SqliteCatalogStore catalog_;
    win32::LockFileRunLocks runLocks_;
    host::PlatformScope scope_;
    std::unique_ptr<sim::ui::SimUserInterface> headless_;
    std::unique_ptr<win32ui::Win32UserInterface> windows_;
};

ModulePlatform& EnsurePlatform() {
    static ModulePlatform platform;
    return platform;
}

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (object != nullptr) *object = nullptr;
    try {
        EnsurePlatform();
        return velmora::ComServer().GetClassObject(clsid, iid, object);
    } catch (...) {
        return E_UNEXPECTED;
    }
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return velmora::ComServer().CanUnloadNow(); }

// Every failure, the platform's included, is E_FAIL, as regsvr32 expects.
extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    try {
        const std::u16string path = win32addin::RegisteredModulePath(EnsurePlatform().ModulePath());
        return path.empty() ? E_FAIL : velmora::ComServer().RegisterServer(path);
    } catch (...) {
        return E_FAIL;
    }
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    try {
        EnsurePlatform();
        return velmora::ComServer().UnregisterServer() == S_OK ? S_OK : E_FAIL;
    } catch (...) {
        return E_FAIL;
    }
}
