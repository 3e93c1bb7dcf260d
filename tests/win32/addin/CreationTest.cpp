// The add-in as a host creates it: by its ProgID through COM, from the
// registered DLL, describing its own type from the embedded library, and
// keeping the DLL loaded while an object lives.

#include <gtest/gtest.h>

#include <string>

#include "DllFixture.h"
#include "RegisteredDll.h"
#include "addin/VelmoraAddIn_TLB.h"
#include "host/Office.h"

namespace win32test {

namespace {

class Creation : public RegisteredDll {
protected:
    void SetUp() override {
        RegisteredDll::SetUp();
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        initialized_ = true;
    }
    void TearDown() override {
        if (initialized_) CoUninitialize();
        RegisteredDll::TearDown();
    }

    IDispatch* CreateByProgId() {
        CLSID clsid{};
        if (CLSIDFromProgID(kProgId, &clsid) != S_OK) return nullptr;
        IDispatch* object = nullptr;
        if (CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                             reinterpret_cast<void**>(&object)) != S_OK) {
            return nullptr;
        }
        return object;
    }

private:
    bool initialized_ = false;
};

using CanUnloadCall = HRESULT(STDAPICALLTYPE*)();

TEST_F(Creation, ByProgIdGivesTheAddInFromTheRegisteredDll) {
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(kProgId, &clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, velmora::CLSID_CVelmoraAddIn));

    IDispatch* object = CreateByProgId();
    ASSERT_NE(object, nullptr);
    IUnknown* connection = nullptr;
    EXPECT_EQ(object->QueryInterface(Office::IID__IDTExtensibility2, reinterpret_cast<void**>(&connection)), S_OK);
    IUnknown* own = nullptr;
    EXPECT_EQ(object->QueryInterface(velmora::IID_IVelmora, reinterpret_cast<void**>(&own)), S_OK);
    if (connection != nullptr) connection->Release();
    if (own != nullptr) own->Release();

    // The DLL that serves it is the registered copy.
    HMODULE module = GetModuleHandleW(dll.c_str());
    ASSERT_NE(module, nullptr);
    object->Release();
}

TEST_F(Creation, TheObjectDescribesItsTypeFromTheEmbeddedLibrary) {
    IDispatch* object = CreateByProgId();
    ASSERT_NE(object, nullptr);
    UINT count = 0;
    ASSERT_EQ(object->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ITypeInfo* info = nullptr;
    ASSERT_EQ(object->GetTypeInfo(0, 0x409, &info), S_OK);
    BSTR name = nullptr;
    ASSERT_EQ(info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(std::wstring(name), L"IVelmora");
    SysFreeString(name);
    info->Release();
    ITypeInfo* none = reinterpret_cast<ITypeInfo*>(1);
    EXPECT_EQ(object->GetTypeInfo(1, 0x409, &none), DISP_E_BADINDEX);
    EXPECT_EQ(none, nullptr);

    // Late-bound names reach the same members as the type describes.
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"onstartupcomplete")};
    DISPID id = DISPID_UNKNOWN;
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, 0x409, &id), S_OK);
    EXPECT_EQ(id, 4);
    object->Release();
}

TEST_F(Creation, TheDllStaysInUseWhileAnObjectLives) {
    IDispatch* object = CreateByProgId();
    ASSERT_NE(object, nullptr);
    HMODULE module = GetModuleHandleW(dll.c_str());
    ASSERT_NE(module, nullptr);
    auto canUnload =
        reinterpret_cast<CanUnloadCall>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    ASSERT_NE(canUnload, nullptr);
    EXPECT_EQ(canUnload(), S_FALSE);
    object->Release();
    EXPECT_EQ(canUnload(), S_OK);
}

}  // namespace

}  // namespace win32test
