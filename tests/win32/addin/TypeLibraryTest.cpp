// The type library embedded in velmora.dll, as a host finds it through the
// registry: it describes the library, the dual interface IVelmora with the
// connection interface's members, and the class, and nothing more.

#include <gtest/gtest.h>

#include <string>

#include "DllFixture.h"
#include "RegisteredDll.h"

namespace win32test {

namespace {

template <class T>
struct Released {
    T* object = nullptr;
    ~Released() {
        if (object != nullptr) object->Release();
    }
};

std::wstring NameOf(ITypeInfo* info) {
    BSTR name = nullptr;
    if (FAILED(info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr))) return {};
    std::wstring text(name, SysStringLen(name));
    SysFreeString(name);
    return text;
}

GUID GuidOf(const wchar_t* text) {
    GUID guid{};
    CLSIDFromString(text, &guid);
    return guid;
}

class TypeLibrary : public RegisteredDll {
protected:
    void SetUp() override {
        RegisteredDll::SetUp();
        ASSERT_EQ(LoadRegTypeLib(GuidOf(kLibid), 1, 0, 0x409, &library.object), S_OK);
    }
    Released<ITypeLib> library;
};

TEST_F(TypeLibrary, NamesTheLibraryWithItsHelpString) {
    BSTR name = nullptr;
    BSTR help = nullptr;
    ASSERT_EQ(library.object->GetDocumentation(-1, &name, &help, nullptr, nullptr), S_OK);
    EXPECT_EQ(std::wstring(name), L"VelmoraAddIn");
    EXPECT_EQ(std::wstring(help), L"Velmora Library");
    SysFreeString(name);
    SysFreeString(help);
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(library.object->GetLibAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->lcid, 1033u);
    EXPECT_EQ(attributes->wMajorVerNum, 1);
    EXPECT_EQ(attributes->wMinorVerNum, 0);
    EXPECT_EQ(attributes->syskind, SYS_WIN64);
    library.object->ReleaseTLibAttr(attributes);
}

TEST_F(TypeLibrary, DescribesIVelmoraAsDualWithTheConnectionMembers) {
    Released<ITypeInfo> info;
    ASSERT_EQ(library.object->GetTypeInfoOfGuid(GuidOf(kIid), &info.object), S_OK);
    EXPECT_EQ(NameOf(info.object), L"IVelmora");
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(info.object->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->typekind, TKIND_DISPATCH);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FDUAL);
    info.object->ReleaseTypeAttr(attributes);

    // The members come from the connection interface, with its dispatch identifiers.
    const wchar_t* members[] = {L"OnConnection", L"OnDisconnection", L"OnAddInsUpdate", L"OnStartupComplete",
                                L"OnBeginShutdown"};
    for (int i = 0; i < 5; ++i) {
        LPOLESTR name = const_cast<LPOLESTR>(members[i]);
        MEMBERID id = MEMBERID_NIL;
        EXPECT_EQ(info.object->GetIDsOfNames(&name, 1, &id), S_OK) << members[i];
        EXPECT_EQ(id, i + 1) << members[i];
    }
    // Its interface side derives from the connection interface itself.
    HREFTYPE interfaceSide = 0;
    ASSERT_EQ(info.object->GetRefTypeOfImplType(static_cast<UINT>(-1), &interfaceSide), S_OK);
    Released<ITypeInfo> vtable;
    ASSERT_EQ(info.object->GetRefTypeInfo(interfaceSide, &vtable.object), S_OK);
    HREFTYPE baseReference = 0;
    ASSERT_EQ(vtable.object->GetRefTypeOfImplType(0, &baseReference), S_OK);
    Released<ITypeInfo> base;
    ASSERT_EQ(vtable.object->GetRefTypeInfo(baseReference, &base.object), S_OK);
    EXPECT_EQ(NameOf(base.object), L"_IDTExtensibility2");

    LPOLESTR unknown = const_cast<LPOLESTR>(L"OnSomethingElse");
    MEMBERID id = MEMBERID_NIL;
    EXPECT_NE(info.object->GetIDsOfNames(&unknown, 1, &id), S_OK);
}

TEST_F(TypeLibrary, DescribesTheClassWithIVelmoraAsItsDefaultInterface) {
    Released<ITypeInfo> coClass;
    ASSERT_EQ(library.object->GetTypeInfoOfGuid(GuidOf(kClsid), &coClass.object), S_OK);
    EXPECT_EQ(NameOf(coClass.object), L"CVelmoraAddIn");
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(coClass.object->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
    EXPECT_EQ(attributes->cImplTypes, 1);
    coClass.object->ReleaseTypeAttr(attributes);

    INT flags = 0;
    ASSERT_EQ(coClass.object->GetImplTypeFlags(0, &flags), S_OK);
    EXPECT_TRUE(flags & IMPLTYPEFLAG_FDEFAULT);
    HREFTYPE reference = 0;
    ASSERT_EQ(coClass.object->GetRefTypeOfImplType(0, &reference), S_OK);
    Released<ITypeInfo> implemented;
    ASSERT_EQ(coClass.object->GetRefTypeInfo(reference, &implemented.object), S_OK);
    EXPECT_EQ(NameOf(implemented.object), L"IVelmora");
}

}  // namespace

}  // namespace win32test
