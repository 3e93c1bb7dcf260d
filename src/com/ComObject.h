#pragma once

#include <tuple>
#include <utility>

#include "com/ComPtr.h"

namespace com {

// A reference-counted implementation of the listed interfaces. QueryInterface
// answers IUnknown (always through the first interface, so that identity
// holds) and every listed interface that has an IID; a subclass widens or
// narrows that by overriding Find.
template <class... Interfaces>
class ComObject : public Interfaces... {
    using First = std::tuple_element_t<0, std::tuple<Interfaces...>>;

public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = Find(iid);
        if (*object == nullptr) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    IUnknown* Identity() { return static_cast<IUnknown*>(static_cast<First*>(this)); }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;

    virtual void* Find(REFIID iid) {
        if (iid == IID_IUnknown) return Identity();
        void* found = nullptr;
        ((found = found != nullptr ? found : Match<Interfaces>(iid)), ...);
        return found;
    }

private:
    template <class I>
    void* Match(REFIID iid) {
        if constexpr (HasInterfaceId<I>) {
            if (iid == IidOf<I>()) return static_cast<I*>(this);
        }
        return nullptr;
    }

    ULONG references_ = 0;
};

// Creates a COM object and hands out the first reference to it.
template <class T, class... Args>
ComPtr<T> MakeCom(Args&&... args) {
    return ComPtr<T>(new T(std::forward<Args>(args)...));
}

}  // namespace com
