#include "RegisteredDll.h"

#include <windows.h>

#include <vector>

#include "DllFixture.h"

namespace win32test {

void RegisteredDll::SetUp() {
    RemoveAnyRegistration();
    std::vector<wchar_t> temp(MAX_PATH + 1);
    temp.resize(GetTempPathW(static_cast<DWORD>(temp.size()), temp.data()));
    folder_ = std::wstring(temp.begin(), temp.end()) + L"velmora add-in";
    CreateDirectoryW(folder_.c_str(), nullptr);
    dll = folder_ + L"\\velmora.dll";
    ASSERT_TRUE(CopyFileW(BuiltDll().c_str(), dll.c_str(), FALSE)) << GetLastError();
    std::vector<wchar_t> shortPath(MAX_PATH * 4);
    shortPath.resize(GetShortPathNameW(dll.c_str(), shortPath.data(), static_cast<DWORD>(shortPath.size())));
    registeredPath.assign(shortPath.begin(), shortPath.end());
    ASSERT_FALSE(registeredPath.empty());
    ASSERT_EQ(RunProgram(L"regsvr32.exe /s \"" + dll + L"\""), 0u);
}

void RegisteredDll::TearDown() {
    RunProgram(L"regsvr32.exe /u /s \"" + dll + L"\"");
    RemoveAnyRegistration();
}

}  // namespace win32test
