#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace win32test {

inline constexpr wchar_t kClsid[] = L"{5C0E7A21-3B9D-4F62-A8E1-2D74C9B0F613}";
inline constexpr wchar_t kLibid[] = L"{D4A81E36-5C29-4B7F-9E03-6B1F8A2C5D74}";
inline constexpr wchar_t kIid[] = L"{7E41B9D0-62AF-4C35-8B17-E05A3D9C4F28}";
inline constexpr wchar_t kProgId[] = L"VelmoraAddIn.CVelmoraAddIn";
inline constexpr wchar_t kOfficeKey[] = L"Software\\Microsoft\\Office\\Outlook\\AddIns\\VelmoraAddIn.CVelmoraAddIn";

// velmora.dll as the build left it beside the test program.
std::wstring BuiltDll();

// Runs a command line, waits for it and gives its exit code.
DWORD RunProgram(const std::wstring& commandLine);

// A string value read from the registry; nothing when key or value is missing.
std::optional<std::wstring> StringValue(HKEY root, const std::wstring& key, const wchar_t* name = nullptr);
std::optional<DWORD> DwordValue(HKEY root, const std::wstring& key, const wchar_t* name);
bool KeyExists(HKEY root, const std::wstring& key);

// Removes every trace a registration of the add-in may have left, in both
// the machine's and the user's classes.
void RemoveAnyRegistration();

}  // namespace win32test
