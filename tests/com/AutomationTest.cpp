#include <gtest/gtest.h>

#include <cstddef>

#include "com/Bstr.h"
#include "com/ComObject.h"
#include "com/Unknown.h"

TEST(Variant, HasTheWindowsLayout) {
    EXPECT_EQ(offsetof(VARIANT, lVal), 8u);
    EXPECT_EQ(sizeof(VARIANT), 8 + 2 * sizeof(void*));
    EXPECT_EQ(offsetof(DISPPARAMS, cArgs), 2 * sizeof(void*));
}

TEST(Bstr, KeepsLengthAndEmbeddedZeros) {
    const std::u16string text(u"a\0b", 3);
    com::Bstr owned(text);
    EXPECT_EQ(SysStringLen(owned.Get()), 3u);
    EXPECT_EQ(owned.Text(), text);
    EXPECT_EQ(owned.Get()[3], 0);
    EXPECT_EQ(com::ToU16(nullptr), u"");
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
}

namespace {

struct Probe : com::ComObject<IDispatch> {
    explicit Probe(bool* destroyed) : destroyed_(destroyed) {}
    ~Probe() override { *destroyed_ = true; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return S_OK;
    }
    bool* destroyed_;
};

}  // namespace

TEST(Variant, ClearReleasesWhatItOwns) {
    bool destroyed = false;
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_DISPATCH;
    value.pdispVal = com::MakeCom<Probe>(&destroyed).Detach();
    EXPECT_EQ(VariantClear(&value), S_OK);
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(value.vt, VT_EMPTY);

    value.vt = VT_BSTR;
    value.bstrVal = com::AllocBstr(u"text");
    EXPECT_EQ(VariantClear(&value), S_OK);  // freed: the sanitizer build would report a leak otherwise
}

TEST(ComObject, AnswersItsInterfacesAndCountsReferences) {
    bool destroyed = false;
    {
        auto probe = com::MakeCom<Probe>(&destroyed);
        auto unknown = probe.As<IUnknown>();
        ASSERT_TRUE(unknown);
        EXPECT_EQ(unknown.Get(), probe->Identity());
        EXPECT_TRUE(unknown.As<IDispatch>());
        void* none = reinterpret_cast<void*>(1);
        EXPECT_EQ(probe->QueryInterface(IID_IConnectionPoint, &none), E_NOINTERFACE);
        EXPECT_EQ(none, nullptr);
        EXPECT_EQ(probe->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    }
    EXPECT_TRUE(destroyed);
}
