#include "engine/ZelbConfigClass.h"

#include <utility>

#include "base/Format.h"
#include "engine/ConfigText.h"
#include "engine/ProgramName.h"

namespace velmora {

namespace {

bool IsOrdinal(TPropertyKind kind) {
    return kind == TPropertyKind::Integer || kind == TPropertyKind::Char || kind == TPropertyKind::Enumeration;
}

bool IsString(TPropertyKind kind) {
    return kind == TPropertyKind::ShortString || kind == TPropertyKind::LongString ||
           kind == TPropertyKind::WideString;
}

[[noreturn]] void Unsupported() { throw EConfigClass(u"Unsupported property type"); }

std::uint8_t LowByte(std::int32_t value) { return static_cast<std::uint8_t>(value & 0xFF); }

}  // namespace

TZelbConfigClass::TZelbConfigClass(bool UseLocalMachine, bool AutoPersist, std::u16string Key)
    : AutoPersist(AutoPersist), Key_(std::move(Key)), UseLocalMachine(UseLocalMachine) {
    if (Key_.empty()) Key_ = u"Software\\" + ProgramName();
}

void TZelbConfigClass::Open() {
    if (!AutoPersist) {
        InitStorage();
        return;
    }
    OpenRootKey();
    InitStorage();
    Loading = true;
    try {
        LoadAll();
    } catch (...) {
        Loading = false;
        throw;
    }
    Loading = false;
}

void TZelbConfigClass::OpenRootKey() {
    if (!Registry)
        Registry = std::make_unique<TConfigRegistry>(UseLocalMachine ? host::RegistryRoot::LocalMachine
                                                                     : host::RegistryRoot::CurrentUser);
    // A key that is missing and cannot be created is not reported here:
    // loading then finds nothing and the first write fails. A registry that
    // cannot be read fails here (EConfigClass), never passing for an empty one.
    Registry->OpenKey(u"\\" + Key_, true);
}

void TZelbConfigClass::InitStorage() {
    const std::span<const TConfigProperty> properties = Properties();
    if (properties.empty()) return;
    if (Values.size() < properties.size()) Values.resize(properties.size());
    for (const TConfigProperty& property : properties) {
        if (property.Index < 0) continue;
        if (static_cast<size_t>(property.Index) >= Values.size()) Values.resize(property.Index + 1);
        TConfigValue& cell = Values[property.Index];
        if (IsOrdinal(property.Kind))
            cell = property.Default.value_or(0);
        else
            InitValue(property.Index, cell, property.Kind);
    }
}

void TZelbConfigClass::InitValue(int, TConfigValue& Cell, TPropertyKind Kind) {
    if (Kind == TPropertyKind::Float)
        Cell = 0.0L;
    else if (IsString(Kind))
        Cell = std::u16string();
    else if (Kind == TPropertyKind::Int64)
        Cell = std::int64_t{0};
    else
        Unsupported();
}

void TZelbConfigClass::LoadAll() {
    for (const TConfigProperty& property : Properties()) LoadProperty(property);
}

void TZelbConfigClass::LoadProperty(const TConfigProperty& Property) {
    const std::u16string_view name = Property.Name;
    if (!Registry->ValueExists(name)) return;
    if (IsOrdinal(Property.Kind)) {
        Put(Property, Registry->ReadInteger(name));
    } else if (Property.Kind == TPropertyKind::Float) {
        if (std::optional<long double> value = ConfigTextToFloat(Registry->ReadString(name))) Put(Property, *value);
    } else if (IsString(Property.Kind)) {
        Put(Property, Registry->ReadString(name));
    } else if (Property.Kind == TPropertyKind::Int64) {
        Put(Property, ConfigTextToInt64(Registry->ReadString(name)));
    } else {
        Unsupported();
    }
}

void TZelbConfigClass::SaveProperty(const TConfigProperty& Property) {
    if (Loading) return;
    const std::u16string_view name = Property.Name;
    const bool indexed = Property.Index >= 0;
    if (!indexed && !Property.Accessors.Read) Unsupported();
    const TConfigValue value = indexed ? Cell(Property) : Property.Accessors.Read(*this);
    if (IsOrdinal(Property.Kind)) {
        const std::int32_t ordinal = std::get<std::int32_t>(value);
        if (!indexed || !Property.Default || ordinal != *Property.Default) {
            Registry->WriteInteger(name, ordinal);
        } else if (!Registry->DeleteValue(name)) {
            // A value that stays behind would come back at the next start.
            throw EConfigClass(Format(u"Failed to set data for '%s'", {name}));
        }
    } else if (Property.Kind == TPropertyKind::Float) {
        Registry->WriteString(name, FloatToConfigText(std::get<long double>(value)));
    } else if (IsString(Property.Kind)) {
        Registry->WriteString(name, std::get<std::u16string>(value));
    } else if (Property.Kind == TPropertyKind::Int64) {
        Registry->WriteString(name, Int64ToConfigText(std::get<std::int64_t>(value)));
    } else {
        Unsupported();
    }
}

const TConfigProperty& TZelbConfigClass::FindProperty(int Index) const {
    for (const TConfigProperty& property : Properties())
        if (property.Index >= 0 && property.Index == Index) return property;
    throw EConfigClass(u"Property not found");
}

const TConfigValue& TZelbConfigClass::Cell(const TConfigProperty& Property) const {
    return Values.at(static_cast<size_t>(Property.Index));
}

template <class T>
const T& TZelbConfigClass::CellAs(const TConfigProperty& Property) const {
    const T* value = std::get_if<T>(&Cell(Property));
    if (value == nullptr) throw EConfigClass(Format(u"Invalid data type for '%s'", {Property.Name}));
    return *value;
}

void TZelbConfigClass::Put(const TConfigProperty& Property, TConfigValue Value) {
    if (Property.Index >= 0) {
        Values.at(static_cast<size_t>(Property.Index)) = std::move(Value);
    } else {
        if (!Property.Accessors.Write) Unsupported();
        Property.Accessors.Write(*this, Value);
    }
}

void TZelbConfigClass::Change(const TConfigProperty& Property, TConfigValue Value) {
    TConfigValue& cell = Values.at(static_cast<size_t>(Property.Index));
    TConfigValue previous = std::exchange(cell, std::move(Value));
    if (!AutoPersist) return;
    try {
        SaveProperty(Property);
    } catch (...) {
        // The cell keeps what the registry holds, so that setting the same value again retries the write.
        cell = std::move(previous);
        throw;
    }
}

bool TZelbConfigClass::GetBool(int Index) const { return LowByte(CellAs<std::int32_t>(FindProperty(Index))) != 0; }

void TZelbConfigClass::SetBool(int Index, bool Value) {
    const TConfigProperty& property = FindProperty(Index);
    if (LowByte(CellAs<std::int32_t>(property)) == static_cast<std::uint8_t>(Value)) return;
    Change(property, static_cast<std::int32_t>(Value));
}

std::int32_t TZelbConfigClass::GetInteger(int Index) const { return CellAs<std::int32_t>(FindProperty(Index)); }

void TZelbConfigClass::SetInteger(int Index, std::int32_t Value) {
    const TConfigProperty& property = FindProperty(Index);
    if (CellAs<std::int32_t>(property) == Value) return;
    Change(property, Value);
}

std::uint8_t TZelbConfigClass::GetByte(int Index) const { return LowByte(CellAs<std::int32_t>(FindProperty(Index))); }

void TZelbConfigClass::SetByte(int Index, std::uint8_t Value) {
    const TConfigProperty& property = FindProperty(Index);
    if (CellAs<std::int32_t>(property) == Value) return;
    Change(property, static_cast<std::int32_t>(Value));
}

std::uint8_t TZelbConfigClass::GetSmallOrdinal(int Index) const {
    return LowByte(CellAs<std::int32_t>(FindProperty(Index)));
}

void TZelbConfigClass::SetSmallOrdinal(int Index, std::uint8_t Value) {
    const TConfigProperty& property = FindProperty(Index);
    if (LowByte(CellAs<std::int32_t>(property)) == Value) return;
    Change(property, static_cast<std::int32_t>(Value));
}

// Strings keep full UTF-16 text, so the 8-bit and the wide pair behave alike.
std::u16string TZelbConfigClass::GetString(int Index) const { return GetWideString(Index); }

void TZelbConfigClass::SetString(int Index, const std::u16string& Value) { SetWideString(Index, Value); }

std::u16string TZelbConfigClass::GetWideString(int Index) const { return CellAs<std::u16string>(FindProperty(Index)); }

void TZelbConfigClass::SetWideString(int Index, const std::u16string& Value) {
    const TConfigProperty& property = FindProperty(Index);
    if (CellAs<std::u16string>(property) == Value) return;
    Change(property, Value);
}

float TZelbConfigClass::GetSingle(int Index) const { return static_cast<float>(GetExtended(Index)); }

void TZelbConfigClass::SetSingle(int Index, float Value) { SetExtended(Index, Value); }

double TZelbConfigClass::GetDouble(int Index) const { return static_cast<double>(GetExtended(Index)); }

void TZelbConfigClass::SetDouble(int Index, double Value) { SetExtended(Index, Value); }

long double TZelbConfigClass::GetExtended(int Index) const { return CellAs<long double>(FindProperty(Index)); }

void TZelbConfigClass::SetExtended(int Index, long double Value) {
    const TConfigProperty& property = FindProperty(Index);
    if (CellAs<long double>(property) == Value) return;
    Change(property, Value);
}

std::int64_t TZelbConfigClass::GetInt64(int Index) const { return CellAs<std::int64_t>(FindProperty(Index)); }

void TZelbConfigClass::SetInt64(int Index, std::int64_t Value) {
    const TConfigProperty& property = FindProperty(Index);
    if (CellAs<std::int64_t>(property) == Value) return;
    Change(property, Value);
}

}  // namespace velmora
