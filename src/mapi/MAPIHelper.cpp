#include "mapi/MAPIHelper.h"

#include <exception>
#include <optional>
#include <utility>

#include "com/Apartment.h"
#include "host/Platform.h"

namespace velmora {

namespace {

constexpr char16_t kMessagingSubsystemKey[] = u"SOFTWARE\\Microsoft\\Windows Messaging Subsystem";
constexpr char16_t kMailClientKey[] = u"SOFTWARE\\Clients\\Mail\\Microsoft Outlook";
constexpr char16_t kDefaultLibrary[] = u"Mapi32.dll";
// The longest path the system's mail configuration may hold; a longer value counts as unreadable.
constexpr size_t kMaxLibraryPath = 4095;

// A machine value of string type, or none when it is missing or of another type.
std::optional<std::u16string> MachineString(std::u16string_view key, std::u16string_view name) {
    std::optional<host::RegistryValue> value =
        host::TheRegistry().QueryValue(host::RegistryRoot::LocalMachine, key, name);
    if (!value || (value->Type != host::RegistryValueType::String &&
                   value->Type != host::RegistryValueType::ExpandString))
        return std::nullopt;
    return value->Text;
}

bool SystemReportsMapi() {
    const host::SystemVersion version = host::TheSystem().Version();
    if (version.Major > 3 || (version.Major == 3 && version.Minor > 51))
        return MachineString(kMessagingSubsystemKey, u"MAPI") == u"1";
    return host::TheSystem().ProfileInt(u"Mail", u"MAPI", 0) != 0;
}

}  // namespace

TMapiHelper::TMapiHelper() {
    bool loaded = false;
    try {
        LibPath = GetMapiLibraryPath();
        loaded = LoadMapiLibrary();
    } catch (const velmora::Exception&) {
        // A system without the services MAPI needs has no MAPI.
    }
    if (!loaded) throw velmora::Exception(u"Unable to load MAPI library");
    if (!InitializeMapi()) {
        FinalizeMapi();
        throw velmora::Exception(u"Unable to initialize MAPI library");
    }
}

TMapiHelper::~TMapiHelper() { FinalizeMapi(); }

std::u16string TMapiHelper::GetMapiLibraryPath() {
    if (!SystemReportsMapi()) return {};
    std::optional<std::u16string> path = MachineString(kMailClientKey, u"DLLPathEx");
    if (path && !path->empty() && path->size() <= kMaxLibraryPath) return *path;
    return kDefaultLibrary;
}

bool TMapiHelper::LoadMapiLibrary() {
    if (LibHandle == nullptr && !LibPath.empty()) {
        Libraries = &host::TheLibraries();
        LibHandle = Libraries->Load(LibPath);
    }
    return LibHandle != nullptr;
}

bool TMapiHelper::InitializeMapi() {
    CoInitResult = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    try {
        MapiInitializeProc = reinterpret_cast<LPMAPIINITIALIZE>(Libraries->Resolve(LibHandle, "MAPIInitialize"));
        MapiUninitializeProc =
            reinterpret_cast<LPMAPIUNINITIALIZE>(Libraries->Resolve(LibHandle, "MAPIUninitialize"));
        // Without it the property arrays that MAPI hands out could not be given back.
        MapiFreeBufferProc = reinterpret_cast<LPMAPIFREEBUFFER>(Libraries->Resolve(LibHandle, "MAPIFreeBuffer"));
        if (!MapiInitializeProc || !MapiUninitializeProc || !MapiFreeBufferProc) return false;
        MapiInitialized = MapiInitializeProc(nullptr) == S_OK;
    } catch (const std::exception&) {
        return false;
    }
    return MapiInitialized;
}

void TMapiHelper::FinalizeMapi() {
    // MAPIUninitialize balances only a MAPIInitialize that succeeded.
    if (MapiInitialized) {
        MapiInitialized = false;
        MapiUninitializeProc();
    }
    if (CoInitResult == S_OK || CoInitResult == S_FALSE) {
        CoInitResult = E_UNEXPECTED;
        CoUninitialize();
    }
    if (LibHandle != nullptr) {
        MapiInitializeProc = nullptr;
        MapiUninitializeProc = nullptr;
        MapiFreeBufferProc = nullptr;
        Libraries->Free(std::exchange(LibHandle, nullptr));
    }
}

void TMapiHelper::FreeBuffer(void* buffer) {
    if (buffer != nullptr && MapiFreeBufferProc != nullptr) MapiFreeBufferProc(buffer);
}

}  // namespace velmora
