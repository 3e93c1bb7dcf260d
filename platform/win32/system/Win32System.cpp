#include "win32/system/Win32System.h"

#include <windows.h>

#include "win32/WideText.h"
#include "win32/system/FileTimes.h"

namespace win32 {

namespace {

using RtlGetVersionCall = LONG(WINAPI*)(OSVERSIONINFOW*);

}  // namespace

host::SystemVersion Win32System::Version() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    auto call = reinterpret_cast<RtlGetVersionCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    if (call == nullptr || call(&info) != 0) return {};
    return {info.dwMajorVersion, info.dwMinorVersion};
}

int Win32System::ProfileInt(std::u16string_view section, std::u16string_view key, int fallback) {
    return static_cast<int>(GetProfileIntW(Wide(section).c_str(), Wide(key).c_str(), fallback));
}

std::uint32_t Win32System::TickCount() { return GetTickCount(); }

velmora::TDateTime Win32System::Now() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return velmora::EncodeDateTime(
        {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds});
}

host::FileTime Win32System::LocalToUtc(host::FileTime local) {
    SYSTEMTIME localTime{};
    SYSTEMTIME utcTime{};
    const FILETIME time = ToFiletime(local);
    if (!FileTimeToSystemTime(&time, &localTime) || !TzSpecificLocalTimeToSystemTime(nullptr, &localTime, &utcTime)) {
        return local;
    }
    FILETIME utc{};
    return SystemTimeToFileTime(&utcTime, &utc) ? FromFiletime(utc) : local;
}

host::FileTime Win32System::UtcToLocal(host::FileTime utc) {
    SYSTEMTIME utcTime{};
    SYSTEMTIME localTime{};
    const FILETIME time = ToFiletime(utc);
    if (!FileTimeToSystemTime(&time, &utcTime) || !SystemTimeToTzSpecificLocalTime(nullptr, &utcTime, &localTime)) {
        return utc;
    }
    FILETIME local{};
    return SystemTimeToFileTime(&localTime, &local) ? FromFiletime(local) : utc;
}

}  // namespace win32
