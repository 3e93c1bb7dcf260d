// The shared library's side of the module, as a DLL's entry points are: the
// four exports with C linkage, and the platform they run on.
//
// The library is self-contained, as a DLL is: on first use of any export it
// installs, in its own copy of the platform services (its symbols stay
// local, see exports.map), the Linux platform from the environment: the
// registry hives of posix::HiveFiles::FromEnvironment, the drives of
// posix::DriveMap::FromEnvironment, the Linux system and library loader.
// A host that sets VELMORA_USER_REGISTRY, VELMORA_MACHINE_REGISTRY and
// VELMORA_DRIVES before loading the library shares its hives and drives.
//
// Its windows, chosen at that first use: the Qt views (platform/qt) when the
// host process runs a QApplication, as a desktop host does; else the
// headless ones (platform/sim/ui) when the host asked for them by setting
// VELMORA_HEADLESS_UI=1 before loading the library: each message box is
// written to standard error and takes its Esc answer (never overwrite,
// never send). Otherwise no window opens at all (RefusedWindows): a click
// writes why to standard error and runs nothing.

#include <dlfcn.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>
#include <memory>
#include <optional>
#include <string_view>

#include "RefusedWindows.h"
#include "addin/ComServer.h"
#include "base/Utf16.h"
#include "host/Platform.h"
#include "catalog/SqliteCatalogStore.h"
#include "posix/registry/CatalogFile.h"
#include "posix/registry/HiveFiles.h"
#include "posix/registry/SqliteRegistry.h"
#include "posix/system/DriveMap.h"
#include "posix/system/FlockRunLocks.h"
#include "posix/system/PosixLibraries.h"
#include "posix/system/PosixSystem.h"
#include "posix/system/WindowsFileSystem.h"
#include "qt/QtUserInterface.h"
#include "sim/ui/SimUserInterface.h"

#define VELMORA_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

bool HeadlessRequested() {
    const char* value = std::getenv("VELMORA_HEADLESS_UI");
    return value != nullptr && std::string_view(value) == "1";
}

class ModuleWindows {
public:
    explicit ModuleWindows(const posix::WindowsFileSystem& fileSystem) {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
            qt_ = std::make_unique<qtui::QtUserInterface>(fileSystem);
            qtScope_.emplace(qt_->Services());
        } else if (HeadlessRequested()) {
            headless_ = std::make_unique<sim::ui::SimUserInterface>();
        } else {
            refused_ = std::make_unique<linuxaddin::RefusedWindows>();
        }
    }

private:
    std::unique_ptr<qtui::QtUserInterface> qt_;
    std::optional<host::UserInterfaceScope> qtScope_;
    std::unique_ptr<sim::ui::SimUserInterface> headless_;
    std::unique_ptr<linuxaddin::RefusedWindows> refused_;
};

// The catalog of saved files (posix::CatalogFileFromEnvironment), in a
// folder made for it when missing.
std::filesystem::path CatalogFile() {
    const std::filesystem::path file = posix::CatalogFileFromEnvironment();
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    return file;
}

// The lock file of the mailbox a host names in VELMORA_MAILBOX, which the
// command line takes for its runs too.
std::vector<posix::StoreLock> MailboxLocks() {
    const char* mailbox = std::getenv("VELMORA_MAILBOX");
    if (mailbox == nullptr || *mailbox == '\0') return {};
    return {{std::filesystem::absolute(mailbox).lexically_normal() / ".velmora.lock", {}}};
}

class ModulePlatform {
public:
    // A run that finds another at work fails at once with its message: the
    // host's window thread must not wait.
    ModulePlatform()
        : drives_(posix::DriveMap::FromEnvironment()),
          registry_(posix::HiveFiles::FromEnvironment()),
          fileSystem_(drives_),
          libraries_(drives_),
          catalogFile_(CatalogFile()),
          catalog_(catalogFile_),
          runLocks_(fileSystem_, MailboxLocks(), catalogFile_.parent_path() / "locks", {}),
          scope_(host::Platform{&registry_, &fileSystem_, &libraries_, &system_, &catalog_, &runLocks_}),
          windows_(fileSystem_) {}

private:
    posix::DriveMap drives_;
    posix::SqliteRegistry registry_;
    posix::WindowsFileSystem fileSystem_;
    posix::PosixSystem system_;
    posix::PosixLibraries libraries_;
    std::filesystem::path catalogFile_;
    catalog::SqliteCatalogStore catalog_;
    posix::FlockRunLocks runLocks_;
    host::PlatformScope scope_;
    ModuleWindows windows_;
};

// Throws when the environment names no usable place for the hives.
void EnsurePlatform() { static ModulePlatform platform; }

// The library's own file, made absolute as it was loaded.
std::u16string ModulePath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&EnsurePlatform), &info) == 0 || info.dli_fname == nullptr) return {};
    return velmora::FromUtf8(std::filesystem::absolute(info.dli_fname).string());
}

template <class Call>
HRESULT OnPlatform(Call&& call) {
    try {
        EnsurePlatform();
        return call();
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace

VELMORA_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (object != nullptr) *object = nullptr;
    return OnPlatform([&] { return velmora::ComServer().GetClassObject(clsid, iid, object); });
}

VELMORA_EXPORT HRESULT DllCanUnloadNow() { return velmora::ComServer().CanUnloadNow(); }

VELMORA_EXPORT HRESULT DllRegisterServer() {
    return OnPlatform([] {
        const std::u16string path = ModulePath();
        return path.empty() ? E_FAIL : velmora::ComServer().RegisterServer(path);
    });
}

VELMORA_EXPORT HRESULT DllUnregisterServer() {
    return OnPlatform([] { return velmora::ComServer().UnregisterServer(); });
}
