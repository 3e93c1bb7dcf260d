#pragma once

#include <cstdint>
#include <string>

#include "com/Unknown.h"

namespace sim {

// Automation values as the host hands them out: each result owns what it
// holds (a BSTR, a reference) and is freed with VariantClear.
VARIANT TextVariant(const std::u16string& text);
VARIANT IntVariant(std::int32_t value);
VARIANT BoolVariant(bool value);
// Takes a reference to object; a null object is VT_DISPATCH holding nothing.
VARIANT DispatchVariant(IDispatch* object);
// A borrowed object, for event arguments the raiser keeps alive.
VARIANT BorrowedDispatch(IDispatch* object);
// A by-reference boolean: the callee answers through it.
VARIANT BoolReference(VARIANT_BOOL& value);

// An argument read by its type; any other type throws host::HostError with
// DISP_E_TYPEMISMATCH.
std::u16string TextOf(const VARIANT& value);
std::int32_t IntOf(const VARIANT& value);
bool BoolOf(const VARIANT& value);
// May be null.
IDispatch* DispatchOf(const VARIANT& value);

}  // namespace sim
