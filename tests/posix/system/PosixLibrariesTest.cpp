#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "DriveFixture.h"
#include "base/Utf16.h"
#include "mapi/MapiDefs.h"
#include "posix/system/PosixLibraries.h"

namespace fs = std::filesystem;
using posix_tests::DriveFixture;

namespace {

using InitCount = ULONG (*)();

const fs::path kProvider = VELMORA_MAPI_PROVIDER_PATH;

template <class Entry>
Entry Resolve(posix::PosixLibraries& libraries, host::DynamicLibraries::Handle library, const char* name) {
    return reinterpret_cast<Entry>(libraries.Resolve(library, name));
}

class PosixLibrariesTest : public DriveFixture {
protected:
    posix::PosixLibraries libraries{drives};
};

}  // namespace

TEST_F(PosixLibrariesTest, LoadsTheProviderByNativePathAndCountsInitialisations) {
    const auto library = libraries.Load(velmora::FromUtf8(kProvider.native()));
    ASSERT_NE(library, nullptr);
    const auto initialize = Resolve<LPMAPIINITIALIZE>(libraries, library, "MAPIInitialize");
    const auto uninitialize = Resolve<LPMAPIUNINITIALIZE>(libraries, library, "MAPIUninitialize");
    const auto count = Resolve<InitCount>(libraries, library, "VelmoraMapiInitCount");
    ASSERT_TRUE(initialize && uninitialize && count);

    EXPECT_EQ(count(), 0u);
    EXPECT_EQ(initialize(nullptr), S_OK);
    EXPECT_EQ(initialize(nullptr), S_OK);
    EXPECT_EQ(count(), 2u);
    uninitialize();
    EXPECT_EQ(count(), 1u);
    uninitialize();
    uninitialize();  // one too many does not wrap round
    EXPECT_EQ(count(), 0u);
    libraries.Free(library);
}

TEST_F(PosixLibrariesTest, ProviderMemoryIsMallocMemory) {
    const auto library = libraries.Load(velmora::FromUtf8(kProvider.native()));
    ASSERT_NE(library, nullptr);
    const auto allocate = Resolve<LPMAPIALLOCATEBUFFER>(libraries, library, "MAPIAllocateBuffer");
    const auto release = Resolve<LPMAPIFREEBUFFER>(libraries, library, "MAPIFreeBuffer");
    ASSERT_TRUE(allocate && release);

    void* block = nullptr;
    ASSERT_EQ(allocate(64, &block), S_OK);
    ASSERT_NE(block, nullptr);
    std::memset(block, 0xAB, 64);
    std::free(block);  // what the provider hands out, the process may free itself
    ASSERT_EQ(allocate(0, &block), S_OK);
    EXPECT_NE(block, nullptr);
    EXPECT_EQ(release(block), 0u);
    EXPECT_EQ(release(std::malloc(32)), 0u);  // and the other way round
    EXPECT_EQ(release(nullptr), 0u);
    EXPECT_EQ(allocate(8, nullptr), E_INVALIDARG);
    libraries.Free(library);
}

TEST_F(PosixLibrariesTest, LoadsThroughAWindowsPathOnAMappedDrive) {
    fs::create_directories(C() / "Program Files" / "Velmora");
    fs::copy_file(kProvider, C() / "Program Files" / "Velmora" / "VelmoraMapi.dll");
    const auto library = libraries.Load(u"c:\\PROGRAM FILES\\velmora\\velmoramapi.DLL");
    ASSERT_NE(library, nullptr);
    const auto initialize = Resolve<LPMAPIINITIALIZE>(libraries, library, "MAPIInitialize");
    ASSERT_NE(initialize, nullptr);
    EXPECT_EQ(initialize(nullptr), S_OK);
    Resolve<LPMAPIUNINITIALIZE>(libraries, library, "MAPIUninitialize")();
    libraries.Free(library);
}

TEST_F(PosixLibrariesTest, WhatCannotBeLoadedOrResolvedIsNull) {
    WriteNative(C() / "broken.dll", "not a library");
    EXPECT_EQ(libraries.Load(u"C:\\missing.dll"), nullptr);
    EXPECT_EQ(libraries.Load(u"C:\\broken.dll"), nullptr);
    EXPECT_EQ(libraries.Load(u"Q:\\velmoramapi.dll"), nullptr);
    EXPECT_EQ(libraries.Load(u"Mapi32.dll"), nullptr);
    EXPECT_EQ(libraries.Load(u""), nullptr);

    const auto library = libraries.Load(velmora::FromUtf8(kProvider.native()));
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(libraries.Resolve(library, "MAPILogonEx"), nullptr);
    EXPECT_EQ(libraries.Resolve(nullptr, "MAPIInitialize"), nullptr);
    libraries.Free(library);
    libraries.Free(nullptr);
}
