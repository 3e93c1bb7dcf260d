// The system services and the library loader over Win32.

#include <gtest/gtest.h>

#include <windows.h>

#include "win32/system/Win32Libraries.h"
#include "win32/system/Win32System.h"

namespace win32test {

namespace {

constexpr host::FileTime kTicksPerHour = 36'000'000'000ull;

TEST(Win32System, ReportsTheKernelsVersionAndTheProfileFallback) {
    win32::Win32System system;
    EXPECT_GE(system.Version().Major, 6u);
    EXPECT_EQ(system.ProfileInt(u"VelmoraNoSuchSection", u"NoSuchKey", 47), 47);
}

TEST(Win32System, LocalAndUtcTimesConvertBothWaysWithinADayOfEachOther) {
    win32::Win32System system;
    for (const host::FileTime utc : {132'000'000'000'000'000ull, 132'150'000'000'000'000ull}) {  // 2019: winter, summer
        const host::FileTime local = system.UtcToLocal(utc);
        EXPECT_LE(local > utc ? local - utc : utc - local, 14 * kTicksPerHour);
        EXPECT_EQ(system.LocalToUtc(local), utc);
    }
}

TEST(Win32Libraries, LoadsResolvesAndFreesAndGivesNullForWhatIsNotThere) {
    win32::Win32Libraries libraries;
    host::DynamicLibraries::Handle kernel = libraries.Load(u"kernel32.dll");
    ASSERT_NE(kernel, nullptr);
    EXPECT_EQ(libraries.Resolve(kernel, "GetTickCount"),
              reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount")));
    EXPECT_EQ(libraries.Resolve(kernel, "NoSuchEntryPoint"), nullptr);
    libraries.Free(kernel);
    EXPECT_EQ(libraries.Load(u"C:\\no\\such\\library.dll"), nullptr);
    EXPECT_EQ(libraries.Resolve(nullptr, "GetTickCount"), nullptr);
}

}  // namespace

}  // namespace win32test
