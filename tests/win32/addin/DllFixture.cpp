#include "DllFixture.h"

#include <vector>

namespace win32test {

std::wstring BuiltDll() {
    std::vector<wchar_t> buffer(MAX_PATH * 4);
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    std::wstring path(buffer.data(), length);
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"velmora.dll";
}

DWORD RunProgram(const std::wstring& commandLine) {
    std::wstring line = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return static_cast<DWORD>(-1);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = static_cast<DWORD>(-1);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

std::optional<std::wstring> StringValue(HKEY root, const std::wstring& key, const wchar_t* name) {
    DWORD size = 0;
    if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::wstring text(size / sizeof(wchar_t), L'\0');
    if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, text.data(), &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    text.resize(size / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

std::optional<DWORD> DwordValue(HKEY root, const std::wstring& key, const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

bool KeyExists(HKEY root, const std::wstring& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    RegCloseKey(opened);
    return true;
}

void RemoveAnyRegistration() {
    for (const std::wstring& prefix : {std::wstring(), std::wstring(L"Software\\Classes\\")}) {
        const HKEY root = prefix.empty() ? HKEY_CLASSES_ROOT : HKEY_CURRENT_USER;
        for (const std::wstring& key : {std::wstring(L"CLSID\\") + kClsid, std::wstring(kProgId),
                                       std::wstring(L"TypeLib\\") + kLibid, std::wstring(L"Interface\\") + kIid}) {
            RegDeleteTreeW(root, (prefix + key).c_str());
        }
    }
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kOfficeKey);
    RegDeleteTreeW(HKEY_CURRENT_USER, kOfficeKey);
}

}  // namespace win32test
