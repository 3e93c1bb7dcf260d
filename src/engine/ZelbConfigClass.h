#pragma once

// A reusable settings object: a descendant declares its properties in a
// table, and the base class keeps their values in memory, fills in the
// defaults, reads them from one registry key at construction and writes
// each change back at once.

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "engine/ConfigError.h"
#include "engine/ConfigRegistry.h"

namespace velmora {

enum class TPropertyKind {
    Integer,
    Char,
    Enumeration,  // booleans included
    Float,
    ShortString,
    LongString,
    WideString,
    Int64,
    // Kinds the store cannot keep: declaring one with an index fails the construction.
    Set,
    Method,
    Variant,
    Interface,
};

// One property's value: ordinal kinds hold the 32-bit value, floats an
// extended-precision number, every string kind full UTF-16 text.
using TConfigValue = std::variant<std::int32_t, long double, std::u16string, std::int64_t>;

class TZelbConfigClass;

// The reader and writer of a property that has no index (and so no cell).
struct TPropertyAccessors {
    TConfigValue (*Read)(const TZelbConfigClass& self) = nullptr;
    void (*Write)(TZelbConfigClass& self, const TConfigValue& value) = nullptr;
};

inline constexpr int kNoIndex = std::numeric_limits<int>::min();

// A row of a settings class's property table. A property with an index of 0
// or more lives in the cell of that index and is read and written through
// the base class's typed pair for its kind; a property with a negative
// index (kNoIndex) is loaded and saved through its own accessors.
struct TConfigProperty {
    std::u16string_view Name;  // also the registry value's name
    TPropertyKind Kind;
    int Index;
    // Ordinal kinds only: the value that is not stored. None: always stored.
    std::optional<std::int32_t> Default;
    TPropertyAccessors Accessors;
};

class TZelbConfigClass {
public:
    virtual ~TZelbConfigClass() = default;
    TZelbConfigClass(const TZelbConfigClass&) = delete;
    TZelbConfigClass& operator=(const TZelbConfigClass&) = delete;

    // The typed accessor pairs. Each finds the property by index ("Property
    // not found" otherwise); a setter whose value equals the cell's does
    // nothing, otherwise it stores the value and, with AutoPersist, writes it
    // at once. A failed write leaves the cell as it was. An accessor used on
    // a cell of another kind fails with "Invalid data type for '<name>'".
    // Bool and SmallOrdinal compare only the low byte of the cell, Byte the
    // whole cell; Single, Double and Extended share the extended cell.
    virtual bool GetBool(int Index) const;
    virtual void SetBool(int Index, bool Value);
    virtual std::int32_t GetInteger(int Index) const;
    virtual void SetInteger(int Index, std::int32_t Value);
    virtual std::uint8_t GetByte(int Index) const;
    virtual void SetByte(int Index, std::uint8_t Value);
    virtual std::uint8_t GetSmallOrdinal(int Index) const;
    virtual void SetSmallOrdinal(int Index, std::uint8_t Value);
    virtual std::u16string GetString(int Index) const;
    virtual void SetString(int Index, const std::u16string& Value);
    virtual std::u16string GetWideString(int Index) const;
    virtual void SetWideString(int Index, const std::u16string& Value);
    virtual float GetSingle(int Index) const;
    virtual void SetSingle(int Index, float Value);
    virtual double GetDouble(int Index) const;
    virtual void SetDouble(int Index, double Value);
    virtual long double GetExtended(int Index) const;
    virtual void SetExtended(int Index, long double Value);
    virtual std::int64_t GetInt64(int Index) const;
    virtual void SetInt64(int Index, std::int64_t Value);

    // The first property of the table with this index; EConfigClass
    // "Property not found" when there is none.
    const TConfigProperty& FindProperty(int Index) const;

    const std::u16string& Key() const { return Key_; }

protected:
    // Stores the arguments only; an empty Key becomes "Software\" followed
    // by the program's name. The most derived class calls Open() at the end
    // of its constructor, once its table and InitValue are in place.
    TZelbConfigClass(bool UseLocalMachine, bool AutoPersist, std::u16string Key);

    // With AutoPersist: open the key, fill the cells, load the stored
    // values. Otherwise only fill the cells; nothing is ever read or written.
    void Open();

    // The whole class chain's properties, in declaration order.
    virtual std::span<const TConfigProperty> Properties() const = 0;

    virtual void InitStorage();
    // The starting value of a non-ordinal cell: 0.0, empty text, 0;
    // "Unsupported property type" for kinds without a cell.
    virtual void InitValue(int Index, TConfigValue& Cell, TPropertyKind Kind);

    void OpenRootKey();
    void LoadAll();
    void LoadProperty(const TConfigProperty& Property);
    // Writes one property now, nothing while loading. The setter of a
    // property without an index calls it to persist its value.
    void SaveProperty(const TConfigProperty& Property);

private:
    const TConfigValue& Cell(const TConfigProperty& Property) const;
    // The cell's value; "Invalid data type for '<name>'" when it holds another kind.
    template <class T>
    const T& CellAs(const TConfigProperty& Property) const;
    // Puts a loaded value where the property keeps it.
    void Put(const TConfigProperty& Property, TConfigValue Value);
    // The setters' common tail: store, write, and undo the store when the write fails.
    void Change(const TConfigProperty& Property, TConfigValue Value);

    std::unique_ptr<TConfigRegistry> Registry;
    bool Loading = false;
    bool AutoPersist;
    std::u16string Key_;
    bool UseLocalMachine;
    std::vector<TConfigValue> Values;
};

}  // namespace velmora
