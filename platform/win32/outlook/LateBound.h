#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include "base/DateTime.h"
#include "com/ComPtr.h"
#include "com/Unknown.h"

namespace win32 {

// One value passed to or taken from a late-bound call; owns what it holds.
class LateValue {
public:
    LateValue() { VariantInit(&value_); }
    LateValue(const LateValue& other);
    LateValue(LateValue&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }
    LateValue& operator=(const LateValue&) = delete;
    LateValue& operator=(LateValue&&) = delete;
    ~LateValue() { VariantClear(&value_); }

    static LateValue Int(std::int32_t number);
    static LateValue Bool(bool flag);
    static LateValue Text(std::u16string_view text);
    static LateValue Object(IDispatch* object);
    // An optional argument left out: the callee takes its default.
    static LateValue Missing();
    template <class T>
    static LateValue Optional(const std::optional<T>& value);

    // The value as a type, converted as automation converts; a value that
    // does not convert throws host::HostError (DISP_E_TYPEMISMATCH).
    std::int32_t AsInt() const;
    bool AsBool() const;
    std::u16string AsText() const;
    velmora::TDateTime AsDate() const;
    // Null for an empty value or a null object.
    com::ComPtr<IDispatch> AsObject() const;
    com::ComPtr<IUnknown> AsUnknown() const;

    const VARIANT& Get() const { return value_; }
    VARIANT* Put() {
        VariantClear(&value_);
        return &value_;
    }

private:
    VARIANT value_;
};

template <class T>
LateValue LateValue::Optional(const std::optional<T>& value) {
    if (!value) return Missing();
    if constexpr (std::is_same_v<T, bool>) {
        return Bool(*value);
    } else if constexpr (std::is_same_v<T, std::u16string>) {
        return Text(*value);
    } else {
        return Int(*value);
    }
}

// The members of one object of the host reached by name through IDispatch.
// Each name is resolved to its dispatch identifier once per type of object
// (the type its type information names; per object when it has none) and
// kept. A failing call throws host::HostError with the host's result code
// and the text of its exception, or a text naming the member.
class LateBound {
public:
    explicit LateBound(com::ComPtr<IDispatch> object);

    LateValue Get(std::u16string_view name, std::initializer_list<LateValue> arguments = {});
    void Put(std::u16string_view name, const LateValue& value);
    LateValue Call(std::u16string_view name, std::initializer_list<LateValue> arguments = {});

    IDispatch* Object() const { return object_.Get(); }
    // The identifier of a member; nothing when the object has no such member.
    std::optional<DISPID> Find(std::u16string_view name);

private:
    DISPID IdOf(std::u16string_view name);
    LateValue Invoke(std::u16string_view name, WORD flags, std::initializer_list<LateValue> arguments);

    com::ComPtr<IDispatch> object_;
    std::optional<GUID> type_;
    std::map<std::u16string, DISPID> ownIds_;
};

}  // namespace win32
