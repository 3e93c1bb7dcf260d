#include "sim/AddInLoader.h"

#include <utility>

#include "base/Format.h"
#include "base/Utf16.h"
#include "com/ClassFactory.h"
#include "com/Guid.h"
#include "host/Platform.h"
#include "host/Registry.h"

namespace sim {

namespace {

using host::RegistryRoot;

using GetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadNowFunction = HRESULT(STDAPICALLTYPE*)();

constexpr std::uint32_t kLoadAtStartup = 3;

// A string value of the merged classes view: the user's classes first.
std::optional<std::u16string> ClassesValue(const std::u16string& path) {
    host::Registry& registry = host::TheRegistry();
    for (const auto& [root, prefix] : {std::pair{RegistryRoot::CurrentUser, u"Software\\Classes\\"},
                                       std::pair{RegistryRoot::ClassesRoot, u""}}) {
        auto value = registry.QueryValue(root, std::u16string(prefix) + path, u"");
        if (value && value->Type == host::RegistryValueType::String) return value->Text;
    }
    return std::nullopt;
}

// What failed, as a step of loading throws it.
struct LoadFailure {
    HRESULT Result;
    std::u16string Problem;
};

}  // namespace

AddInLoader::AddInLoader(std::u16string hostName, com::ComPtr<IDispatch> application)
    : hostName_(std::move(hostName)), application_(std::move(application)) {}

AddInLoader::~AddInLoader() { Shutdown(); }

void AddInLoader::Start() {
    std::vector<std::u16string> connected;
    for (const auto& progId : RegisteredAtStartup()) {
        if (Find(progId) != nullptr) continue;
        if (Load(progId, Office::ext_cm_Startup).Record.State == AddInState::Connected) connected.push_back(progId);
    }
    for (const auto& progId : connected) {
        Loaded& addIn = *Find(progId);
        SAFEARRAY* custom = nullptr;
        if (HRESULT result = addIn.Object->OnStartupComplete(&custom); FAILED(result)) {
            Note(addIn, result, u"OnStartupComplete failed");
        }
    }
}

void AddInLoader::Shutdown() {
    for (auto& addIn : addIns_) {
        if (!addIn.Object) continue;
        SAFEARRAY* custom = nullptr;
        if (HRESULT result = addIn.Object->OnBeginShutdown(&custom); FAILED(result)) {
            Note(addIn, result, u"OnBeginShutdown failed");
        }
    }
    for (auto& addIn : addIns_) {
        if (addIn.Object) Disconnect(addIn, Office::ext_dm_HostShutdown);
    }
}

bool AddInLoader::Connect(const std::u16string& progId) {
    if (Loaded* known = Find(progId); known != nullptr && known->Object) return true;
    return Load(progId, Office::ext_cm_AfterStartup).Record.State == AddInState::Connected;
}

void AddInLoader::Disconnect(const std::u16string& progId) {
    Loaded* addIn = Find(progId);
    if (addIn != nullptr && addIn->Object) Disconnect(*addIn, Office::ext_dm_UserClosed);
}

void AddInLoader::Disconnect(Loaded& addIn, Office::ext_DisconnectMode mode) {
    SAFEARRAY* custom = nullptr;
    if (HRESULT result = addIn.Object->OnDisconnection(mode, &custom); FAILED(result)) {
        Note(addIn, result, u"OnDisconnection failed");
    }
    addIn.Record.State = AddInState::Disconnected;
    Release(addIn);
}

void AddInLoader::Note(Loaded& addIn, HRESULT result, std::u16string problem) {
    addIn.Record.Result = result;
    addIn.Record.Problem = std::move(problem);
}

std::vector<AddInRecord> AddInLoader::AddIns() const {
    std::vector<AddInRecord> records;
    for (const auto& addIn : addIns_) records.push_back(addIn.Record);
    return records;
}

com::ComPtr<Office::_IDTExtensibility2> AddInLoader::Object(const std::u16string& progId) const {
    const Loaded* addIn = Find(progId);
    return addIn != nullptr ? addIn->Object : nullptr;
}

std::vector<std::u16string> AddInLoader::RegisteredAtStartup() const {
    host::Registry& registry = host::TheRegistry();
    const std::u16string key = u"Software\\Microsoft\\Office\\" + hostName_ + u"\\AddIns";
    std::vector<std::u16string> progIds;
    for (RegistryRoot root : {RegistryRoot::LocalMachine, RegistryRoot::CurrentUser}) {
        for (const auto& name : registry.SubKeyNames(root, key)) {
            auto behavior = registry.QueryValue(root, key + u"\\" + name, u"LoadBehavior");
            if (!behavior || behavior->Type != host::RegistryValueType::Dword || behavior->Dword != kLoadAtStartup) {
                continue;
            }
            bool known = false;
            for (const auto& id : progIds) known = known || velmora::SameText(id, name);
            if (!known) progIds.push_back(name);
        }
    }
    return progIds;
}

AddInLoader::Loaded& AddInLoader::Load(const std::u16string& progId, Office::ext_ConnectMode mode) {
    Loaded* addIn = Find(progId);
    if (addIn == nullptr) {
        addIns_.push_back(Loaded{});
        addIn = &addIns_.back();
        addIn->Record.ProgId = progId;
    }
    try {
        Create(*addIn);
        SAFEARRAY* custom = nullptr;
        if (HRESULT result = addIn->Object->OnConnection(application_.Get(), mode, nullptr, &custom); FAILED(result)) {
            throw LoadFailure{result, u"OnConnection failed"};
        }
        addIn->Record.State = AddInState::Connected;
        addIn->Record.Result = S_OK;
        addIn->Record.Problem.clear();
    } catch (const LoadFailure& failure) {
        addIn->Record.State = AddInState::Failed;
        Note(*addIn, failure.Result, failure.Problem);
        Release(*addIn);
    }
    return *addIn;
}

void AddInLoader::Create(Loaded& addIn) {
    const std::u16string& progId = addIn.Record.ProgId;
    auto clsidText = ClassesValue(progId + u"\\Clsid");
    auto clsid = clsidText ? com::GuidFromString(*clsidText) : std::nullopt;
    if (!clsid) {
        throw LoadFailure{CLASS_E_CLASSNOTAVAILABLE, velmora::Format(u"%s names no class", {progId})};
    }
    auto path = ClassesValue(u"CLSID\\" + com::GuidToString(*clsid) + u"\\InprocServer32");
    if (!path || path->empty()) {
        throw LoadFailure{CLASS_E_CLASSNOTAVAILABLE, velmora::Format(u"%s has no library", {*clsidText})};
    }
    addIn.Record.LibraryPath = *path;

    host::DynamicLibraries& libraries = host::TheLibraries();
    addIn.Library = libraries.Load(*path);
    if (addIn.Library == nullptr) throw LoadFailure{E_FAIL, velmora::Format(u"%s cannot be loaded", {*path})};
    auto getClassObject = reinterpret_cast<GetClassObjectFunction>(libraries.Resolve(addIn.Library, "DllGetClassObject"));
    if (getClassObject == nullptr) throw LoadFailure{E_FAIL, velmora::Format(u"%s is no COM server", {*path})};

    com::ComPtr<IClassFactory> factory;
    if (HRESULT result = getClassObject(*clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.Put()));
        FAILED(result) || !factory) {
        throw LoadFailure{FAILED(result) ? result : E_POINTER, u"DllGetClassObject failed"};
    }
    if (HRESULT result = factory->CreateInstance(nullptr, Office::IID__IDTExtensibility2,
                                                 reinterpret_cast<void**>(addIn.Object.Put()));
        FAILED(result) || !addIn.Object) {
        throw LoadFailure{FAILED(result) ? result : E_POINTER, u"The add-in object cannot be created"};
    }
}

void AddInLoader::Release(Loaded& addIn) {
    addIn.Object.Reset();
    if (addIn.Library == nullptr) return;
    host::DynamicLibraries& libraries = host::TheLibraries();
    auto canUnloadNow = reinterpret_cast<CanUnloadNowFunction>(libraries.Resolve(addIn.Library, "DllCanUnloadNow"));
    // A library that still has objects in use stays loaded for good.
    if (canUnloadNow != nullptr && canUnloadNow() == S_OK) libraries.Free(addIn.Library);
    addIn.Library = nullptr;
}

AddInLoader::Loaded* AddInLoader::Find(const std::u16string& progId) {
    for (auto& addIn : addIns_) {
        if (velmora::SameText(addIn.Record.ProgId, progId)) return &addIn;
    }
    return nullptr;
}

const AddInLoader::Loaded* AddInLoader::Find(const std::u16string& progId) const {
    return const_cast<AddInLoader*>(this)->Find(progId);
}

}  // namespace sim
