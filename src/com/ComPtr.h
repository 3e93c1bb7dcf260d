#pragma once

#include <cstddef>
#include <utility>

#include "com/InterfaceId.h"
#include "com/Unknown.h"

namespace com {

// Holds one counted reference to a COM interface.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a new reference to p.
    explicit ComPtr(T* p) : ptr_(p) {
        if (ptr_) ptr_->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.ptr_) {}
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    template <class U>
    ComPtr(const ComPtr<U>& other) : ComPtr(static_cast<T*>(other.Get())) {}
    ~ComPtr() { Reset(); }

    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(ptr_, other.ptr_);
        return *this;
    }

    // Adopts a reference the caller already owns (an out parameter's).
    static ComPtr Attach(T* p) {
        ComPtr result;
        result.ptr_ = p;
        return result;
    }

    T* Get() const { return ptr_; }
    T* operator->() const { return ptr_; }
    T& operator*() const { return *ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }

    void Reset() {
        if (ptr_) std::exchange(ptr_, nullptr)->Release();
    }
    T* Detach() { return std::exchange(ptr_, nullptr); }
    // Address for an out parameter; releases what was held.
    T** Put() {
        Reset();
        return &ptr_;
    }

    // Asks the object for another interface; empty when it has none.
    template <class U>
    ComPtr<U> As(REFIID iid = IidOf<U>()) const {
        ComPtr<U> result;
        if (ptr_) ptr_->QueryInterface(iid, reinterpret_cast<void**>(result.Put()));
        return result;
    }

    friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.ptr_ == b.ptr_; }

private:
    T* ptr_ = nullptr;
};

}  // namespace com
