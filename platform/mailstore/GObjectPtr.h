#pragma once

#include "mailstore/Gmime.h"

#include <utility>

namespace mailstore {

// Holds one reference to a GObject (every GMime object and stream is one).
template <class T>
class GObjectPtr {
public:
    GObjectPtr() = default;
    GObjectPtr(const GObjectPtr& other) : object_(other.object_) {
        if (object_ != nullptr) g_object_ref(object_);
    }
    GObjectPtr(GObjectPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    ~GObjectPtr() {
        if (object_ != nullptr) g_object_unref(object_);
    }
    GObjectPtr& operator=(GObjectPtr other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }

    // Takes over the reference the caller owns, as a *_new function returns it.
    static GObjectPtr Adopt(T* object) {
        GObjectPtr result;
        result.object_ = object;
        return result;
    }
    // Takes a reference of its own to an object borrowed from a getter.
    static GObjectPtr Share(T* object) {
        if (object != nullptr) g_object_ref(object);
        return Adopt(object);
    }

    T* get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    T* object_ = nullptr;
};

}  // namespace mailstore
