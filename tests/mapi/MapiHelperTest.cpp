#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "MapiProvider.h"
#include "TestPlatform.h"
#include "base/Utf16.h"
#include "com/Apartment.h"
#include "mapi/MAPIHelper.h"

using host::RegistryRoot;
using host::RegistryValue;
using velmora::TMapiHelper;

namespace {

constexpr char16_t kSubsystemKey[] = u"SOFTWARE\\Microsoft\\Windows Messaging Subsystem";
constexpr char16_t kClientKey[] = u"SOFTWARE\\Clients\\Mail\\Microsoft Outlook";
const std::u16string kProvider = velmora::FromUtf8(testing_support::MapiProviderPath());

#ifdef _WIN32
// Windows (and Wine) have a Mapi32.dll of their own, which loads but, with
// no mail client installed, refuses to initialise.
constexpr char kSystemLibraryError[] = "Unable to initialize MAPI library";
// A library of the system without MAPI's entry points.
constexpr char16_t kNotMapi[] = u"version.dll";
#else
constexpr char kSystemLibraryError[] = "Unable to load MAPI library";
constexpr char16_t kNotMapi[] = u"libm.so.6";
#endif

// The real loader, with a record of what was loaded and freed, and stand-ins for chosen entry points.
class RecordingLibraries : public host::DynamicLibraries {
public:
    explicit RecordingLibraries(host::DynamicLibraries& real) : real_(real) {}

    std::vector<std::u16string> loaded;
    int frees = 0;
    std::map<std::string, void*> standIns;

    Handle Load(std::u16string_view path) override {
        loaded.emplace_back(path);
        return real_.Load(path);
    }
    void* Resolve(Handle library, const char* name) override {
        auto standIn = standIns.find(name);
        return standIn != standIns.end() ? standIn->second : real_.Resolve(library, name);
    }
    void Free(Handle library) override {
        ++frees;
        real_.Free(library);
    }

private:
    host::DynamicLibraries& real_;
};

class OldSystem : public testing_support::TestPlatform::SystemType {
public:
    host::SystemVersion version{3, 51};
    int profileMapi = 0;
    host::SystemVersion Version() override { return version; }
    int ProfileInt(std::u16string_view section, std::u16string_view key, int) override {
        return section == u"Mail" && key == u"MAPI" ? profileMapi : 0;
    }
};

// The thread's COM initialisations in `mode`, counted by taking them down and building them back.
unsigned ApartmentDepth(DWORD mode) {
    unsigned depth = 0;
    while (CoInitializeEx(nullptr, mode) == S_FALSE) {
        CoUninitialize();
        CoUninitialize();
        ++depth;
    }
    CoUninitialize();
    for (unsigned i = 0; i < depth; ++i) CoInitializeEx(nullptr, mode);
    return depth;
}

int failedInitCalls = 0;
int uninitializeCalls = 0;
void* freedBuffer = nullptr;
HRESULT STDMETHODCALLTYPE FailingInitialize(LPVOID) { return ++failedInitCalls, E_FAIL; }
void STDMETHODCALLTYPE CountingUninitialize() { ++uninitializeCalls; }
ULONG STDMETHODCALLTYPE RecordingFreeBuffer(LPVOID buffer) { return freedBuffer = buffer, 0; }

class MapiHelperTest : public ::testing::Test {
protected:
    MapiHelperTest() {
        SetMachineValue(kSubsystemKey, u"MAPI", RegistryValue::OfString(u"1"));
        SetMachineValue(kClientKey, u"DLLPathEx", RegistryValue::OfString(kProvider));
        // Held for the whole test, so that the provider's count outlives the helper's handle.
        provider_ = platform.Libraries().Load(kProvider);
        initCount_ = reinterpret_cast<ULONG (*)()>(platform.Libraries().Resolve(provider_, "VelmoraMapiInitCount"));
    }
    ~MapiHelperTest() override { platform.Libraries().Free(provider_); }

    void SetMachineValue(std::u16string_view key, std::u16string_view name, const RegistryValue& value) {
        platform.Registry().CreateKey(RegistryRoot::LocalMachine, key);
        platform.Registry().SetValue(RegistryRoot::LocalMachine, key, name, value);
    }
    std::string ConstructionError() {
        try {
            TMapiHelper helper;
        } catch (const velmora::Exception& error) {
            return error.what();
        }
        return "no error";
    }
    ULONG MapiInitCount() { return initCount_(); }

    testing_support::TestPlatform platform;
    RecordingLibraries libraries{platform.Libraries()};
    host::PlatformScope scope{{.registry = &platform.Registry(), .fileSystem = &platform.FileSystem(),
                               .libraries = &libraries, .system = &platform.System()}};

private:
    host::DynamicLibraries::Handle provider_ = nullptr;
    ULONG (*initCount_)() = nullptr;
};

TEST_F(MapiHelperTest, SystemWithoutMapiHasNoLibrary) {
    for (const RegistryValue& mapi : {RegistryValue::OfString(u"0"), RegistryValue::OfString(u"11"),
                                      RegistryValue::OfString(u"1 "), RegistryValue::OfDword(1)}) {
        SetMachineValue(kSubsystemKey, u"MAPI", mapi);
        EXPECT_EQ(TMapiHelper::GetMapiLibraryPath(), u"");
        EXPECT_EQ(ConstructionError(), "Unable to load MAPI library");
    }
    platform.Registry().DeleteKeyTree(RegistryRoot::LocalMachine, kSubsystemKey);
    EXPECT_EQ(ConstructionError(), "Unable to load MAPI library");
    EXPECT_TRUE(libraries.loaded.empty());
}

TEST_F(MapiHelperTest, WithoutAReadableClientPathTheSystemLibraryIsTried) {
    platform.Registry().DeleteValue(RegistryRoot::LocalMachine, kClientKey, u"DLLPathEx");
    EXPECT_EQ(ConstructionError(), kSystemLibraryError);
    SetMachineValue(kClientKey, u"DLLPathEx", RegistryValue::OfString(std::u16string(4096, u'x')));
    EXPECT_EQ(ConstructionError(), kSystemLibraryError);
    EXPECT_EQ(libraries.loaded, (std::vector<std::u16string>{u"Mapi32.dll", u"Mapi32.dll"}));
}

TEST_F(MapiHelperTest, OldSystemsAskTheProfile) {
    OldSystem system;
    host::PlatformScope old{{.registry = &platform.Registry(), .libraries = &libraries, .system = &system}};
    EXPECT_EQ(TMapiHelper::GetMapiLibraryPath(), u"") << "the registry's MAPI value is not asked";
    system.profileMapi = 1;
    EXPECT_EQ(TMapiHelper::GetMapiLibraryPath(), kProvider);
    system.version = {3, 52};
    system.profileMapi = 0;
    EXPECT_EQ(TMapiHelper::GetMapiLibraryPath(), kProvider);
}

TEST_F(MapiHelperTest, ProviderIsLoadedInitialisedAndReleased) {
    libraries.standIns["MAPIFreeBuffer"] = reinterpret_cast<void*>(&RecordingFreeBuffer);
    {
        TMapiHelper helper;
        EXPECT_EQ(MapiInitCount(), 1u);
        EXPECT_EQ(ApartmentDepth(COINIT_APARTMENTTHREADED), 1u);
        int block = 0;
        helper.FreeBuffer(&block);
        EXPECT_EQ(freedBuffer, &block);
    }
    EXPECT_EQ(MapiInitCount(), 0u);
    EXPECT_EQ(ApartmentDepth(COINIT_APARTMENTTHREADED), 0u);
    EXPECT_EQ(libraries.frees, 1);
}

TEST_F(MapiHelperTest, ComOfTheThreadIsBalancedOnlyWhenItWasTaken) {
    for (DWORD mode : {COINIT_APARTMENTTHREADED, COINIT_MULTITHREADED}) {
        ASSERT_EQ(CoInitializeEx(nullptr, mode), S_OK);
        { TMapiHelper helper; }
        EXPECT_EQ(ApartmentDepth(mode), 1u) << "mode " << mode;
        CoUninitialize();
    }
}

TEST_F(MapiHelperTest, RefusedInitialisationReleasesEverythingOnce) {
    SetMachineValue(kClientKey, u"DLLPathEx", RegistryValue::OfString(kNotMapi));
    EXPECT_EQ(ConstructionError(), "Unable to initialize MAPI library");
    EXPECT_EQ(libraries.frees, 1);
    EXPECT_EQ(ApartmentDepth(COINIT_APARTMENTTHREADED), 0u);

    SetMachineValue(kClientKey, u"DLLPathEx", RegistryValue::OfString(kProvider));
    libraries.standIns["MAPIInitialize"] = reinterpret_cast<void*>(&FailingInitialize);
    libraries.standIns["MAPIUninitialize"] = reinterpret_cast<void*>(&CountingUninitialize);
    EXPECT_EQ(ConstructionError(), "Unable to initialize MAPI library");
    EXPECT_EQ(failedInitCalls, 1);
    EXPECT_EQ(uninitializeCalls, 0) << "a refused MAPIInitialize is not balanced";
    EXPECT_EQ(libraries.frees, 2);
    EXPECT_EQ(ApartmentDepth(COINIT_APARTMENTTHREADED), 0u);
}

}  // namespace
