#pragma once

// Late-bound calls, as an automation client reaches an object's members by
// name through IDispatch.

#include <cstdint>
#include <string>
#include <string_view>

#include "com/ComPtr.h"
#include "com/Unknown.h"

namespace velmora {

// Owns one VARIANT and what it holds.
class Variant {
public:
    Variant() { VariantInit(&value_); }
    Variant(Variant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&value_); }

    static Variant OfInt(std::int32_t value);
    static Variant OfText(std::u16string_view text);
    // Takes a reference to object.
    static Variant OfDispatch(IDispatch* object);

    const VARIANT& Get() const { return value_; }
    // For an out parameter; frees what was held.
    VARIANT* Put() {
        VariantClear(&value_);
        return &value_;
    }

    // The value read by its type; another type throws host::HostError
    // (DISP_E_TYPEMISMATCH).
    std::u16string Text() const;
    // Null for an empty object.
    com::ComPtr<IDispatch> Dispatch() const;

private:
    VARIANT value_;
};

// Reads or sets the property of that name. A name the object does not know
// or a failing call throws host::HostError with the object's result code
// and its message.
Variant GetProperty(IDispatch* object, std::u16string_view name);
void SetProperty(IDispatch* object, std::u16string_view name, const Variant& value);

}  // namespace velmora
