#include "FakeMessage.h"

namespace fakehost {

namespace {

constexpr IID kIMessage = {0x00020307, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIMAPIProp = {0x00020303, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

}  // namespace

class FakeMessage::Attach final : public IAttach {
public:
    Attach(FakeMessage& message, std::size_t number) : message_(message), number_(number) { message_.AddRef(); }
    virtual ~Attach() { message_.Release(); }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (iid != IID_IUnknown && iid != kIMAPIProp) return E_NOINTERFACE;
        *object = static_cast<IAttach*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    STDMETHODIMP GetLastError(HRESULT, ULONG, LPMAPIERROR*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP SaveChanges(ULONG) override {
        message_.pending_.push_back(number_);
        return S_OK;
    }
    STDMETHODIMP GetProps(LPSPropTagArray, ULONG, ULONG*, LPSPropValue*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP GetPropList(ULONG, LPSPropTagArray*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP OpenProperty(ULONG, LPCIID, ULONG, ULONG, LPUNKNOWN*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP SetProps(ULONG count, LPSPropValue properties, LPSPropProblemArray* problems) override {
        if (problems != nullptr) *problems = nullptr;
        MapiAttachmentRecord& record = message_.made_[number_];
        for (ULONG i = 0; i < count; ++i) {
            const ULONG tag = properties[i].ulPropTag;
            if (PROP_TYPE(tag) == PT_UNICODE) {
                record.Texts[tag] = properties[i].Value.lpszW;
            } else if (PROP_TYPE(tag) == PT_LONG) {
                record.Numbers[tag] = properties[i].Value.l;
            } else {
                return MAPI_E_BAD_VALUE;
            }
        }
        return S_OK;
    }
    STDMETHODIMP DeleteProps(LPSPropTagArray, LPSPropProblemArray*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP CopyTo(ULONG, LPCIID, LPSPropTagArray, ULONG, LPMAPIPROGRESS, LPCIID, LPVOID, ULONG,
                        LPSPropProblemArray*) override {
        return MAPI_E_NO_SUPPORT;
    }
    STDMETHODIMP CopyProps(LPSPropTagArray, ULONG, LPMAPIPROGRESS, LPCIID, LPVOID, ULONG,
                           LPSPropProblemArray*) override {
        return MAPI_E_NO_SUPPORT;
    }
    STDMETHODIMP GetNamesFromIDs(LPSPropTagArray*, LPGUID, ULONG, ULONG*, LPMAPINAMEID**) override {
        return MAPI_E_NO_SUPPORT;
    }
    STDMETHODIMP GetIDsFromNames(ULONG, LPMAPINAMEID*, ULONG, LPSPropTagArray*) override { return MAPI_E_NO_SUPPORT; }

private:
    FakeMessage& message_;
    std::size_t number_;
    ULONG references_ = 1;
};

STDMETHODIMP FakeMessage::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != kIMAPIProp && iid != kIMessage) return E_NOINTERFACE;
    *object = static_cast<IMessage*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) FakeMessage::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

STDMETHODIMP FakeMessage::CreateAttach(LPCIID, ULONG, ULONG* number, LPATTACH* attach) {
    if (number == nullptr || attach == nullptr) return E_POINTER;
    made_.emplace_back();
    *number = static_cast<ULONG>(made_.size() - 1);
    *attach = new Attach(*this, made_.size() - 1);
    return S_OK;
}

STDMETHODIMP FakeMessage::SaveChanges(ULONG) {
    for (std::size_t number : pending_) saved_(made_[number]);
    pending_.clear();
    return S_OK;
}

}  // namespace fakehost
