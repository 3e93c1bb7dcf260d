// regsvr32 over velmora.dll: what registering writes, that unregistering
// takes all of it away again, and that a refused write fails with E_FAIL.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "DllFixture.h"
#include "RegisteredDll.h"

namespace win32test {

namespace {

class Regsvr : public RegisteredDll {};

std::wstring Folder(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

TEST_F(Regsvr, WritesTheClassTypeLibraryAndAddInKeysForTheShortPath) {
    // The copy's folder has a blank; hosts get a path without one.
    EXPECT_EQ(registeredPath.find(L' '), std::wstring::npos) << registeredPath;

    const std::wstring clsid = std::wstring(L"CLSID\\") + kClsid;
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, clsid + L"\\InprocServer32"), registeredPath);
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, clsid + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, clsid + L"\\ProgID"), kProgId);
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, clsid + L"\\Version"), L"1.0");
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, clsid + L"\\TypeLib"), kLibid);
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, std::wstring(kProgId) + L"\\Clsid"), kClsid);

    const std::wstring library = std::wstring(L"TypeLib\\") + kLibid + L"\\1.0";
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, library), L"Velmora Library");
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, library + L"\\409\\win64"), registeredPath);
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, library + L"\\FLAGS"), L"0");
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, library + L"\\HELPDIR"), Folder(registeredPath));

    const std::wstring iface = std::wstring(L"Interface\\") + kIid;
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, iface), L"IVelmora");
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, iface + L"\\ProxyStubClsid32"), L"{00020424-0000-0000-C000-000000000046}");
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, iface + L"\\TypeLib"), kLibid);
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, iface + L"\\TypeLib", L"Version"), L"1.0");
    // The library carries the host's connection interface as IVelmora's
    // base, but its registration stays the host's.
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Interface\\{B65AD801-ABAF-11D0-BB8B-00A0C90F2744}"));

    // An administrator (as Wine's user is) registers the add-in for every user.
    EXPECT_EQ(StringValue(HKEY_LOCAL_MACHINE, kOfficeKey, L"FriendlyName"), L"Velmora Add-in");
    EXPECT_EQ(DwordValue(HKEY_LOCAL_MACHINE, kOfficeKey, L"LoadBehavior"), 3u);
    EXPECT_EQ(DwordValue(HKEY_LOCAL_MACHINE, kOfficeKey, L"CommandLineSafe"), 0u);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kOfficeKey));
}

TEST_F(Regsvr, UnregisteringRemovesEveryKeyAndLeavesTheParents) {
    ASSERT_EQ(RunProgram(L"regsvr32.exe /u /s \"" + dll + L"\""), 0u);

    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kClsid));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kProgId));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"TypeLib\\") + kLibid));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"Interface\\") + kIid));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kOfficeKey));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Office\\Outlook\\AddIns"));

    // A second removal finds nothing to remove, which is no failure.
    EXPECT_EQ(RunProgram(L"regsvr32.exe /u /s \"" + dll + L"\""), 0u);
}

TEST_F(Regsvr, ARefusedWriteMakesRegisteringFailWithEFail) {
    ASSERT_EQ(RunProgram(L"regsvr32.exe /u /s \"" + dll + L"\""), 0u);
    // A volatile class key takes no lasting sub-keys: InprocServer32 is refused.
    HKEY blocker = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + kClsid).c_str(), 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &blocker, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(blocker);

    HMODULE module = LoadLibraryW(dll.c_str());
    ASSERT_NE(module, nullptr);
    auto registerServer =
        reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer")));
    ASSERT_NE(registerServer, nullptr);
    EXPECT_EQ(registerServer(), E_FAIL);
    EXPECT_NE(RunProgram(L"regsvr32.exe /s \"" + dll + L"\""), 0u);
    FreeLibrary(module);
}

// The names in the DLL's export directory, as a host's loader reads them.
std::set<std::string> ExportedNames(HMODULE module) {
    const auto* base = reinterpret_cast<const BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    std::set<std::string> names;
    if (entry.VirtualAddress == 0) return names;
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
    const auto* nameOffsets = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        names.insert(reinterpret_cast<const char*>(base + nameOffsets[i]));
    }
    return names;
}

TEST(Exports, AreExactlyTheFourEntryPointsUndecorated) {
    HMODULE module = LoadLibraryExW(BuiltDll().c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(ExportedNames(module), (std::set<std::string>{"DllCanUnloadNow", "DllGetClassObject",
                                                            "DllRegisterServer", "DllUnregisterServer"}));
    FreeLibrary(module);
}

}  // namespace

}  // namespace win32test
