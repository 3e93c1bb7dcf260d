#include "win32/registry/Win32Registry.h"

#include <cstring>
#include <vector>

#include "base/Format.h"
#include "win32/WideText.h"
#include "win32/registry/RegistryKey.h"
#include "win32/system/Win32Errors.h"

namespace win32 {

namespace {

using host::RegistryRoot;
using host::RegistryValue;
using host::RegistryValueType;

// Key names are at most 255 characters, value names 16,383.
constexpr DWORD kMaxKeyName = 256;
constexpr DWORD kMaxValueName = 16384;

std::u16string KeyName(RegistryRoot root, std::u16string_view path) {
    std::u16string name;
    switch (root) {
        case RegistryRoot::ClassesRoot: name = u"HKEY_CLASSES_ROOT"; break;
        case RegistryRoot::CurrentUser: name = u"HKEY_CURRENT_USER"; break;
        case RegistryRoot::LocalMachine: name = u"HKEY_LOCAL_MACHINE"; break;
    }
    while (!path.empty() && path.front() == u'\\') path.remove_prefix(1);
    if (!path.empty()) name += u"\\" + std::u16string(path);
    return name;
}

bool Missing(LONG code) { return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND; }

// Opens the key for reading; nothing when it is missing, a host error for
// any other failure.
bool OpenForReading(RegistryKey& key, HKEY root, RegistryRoot rootName, std::u16string_view path) {
    const LONG code = key.Open(root, path, KEY_READ);
    if (code == ERROR_SUCCESS) return true;
    if (Missing(code)) return false;
    throw Failure(static_cast<DWORD>(code), velmora::Format(u"The registry key %s cannot be read",
                                                            {KeyName(rootName, path)}));
}

std::u16string TextOf(const std::vector<BYTE>& data) {
    std::u16string text(data.size() / sizeof(wchar_t), u'\0');
    std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
    // Stored strings end in one NUL, which is not part of the text; a writer
    // that left it out is read as it wrote.
    while (!text.empty() && text.back() == u'\0') text.pop_back();
    return text;
}

}  // namespace

HKEY Win32Registry::Handle(RegistryRoot root) const {
    switch (root) {
        case RegistryRoot::ClassesRoot: return roots_.ClassesRoot;
        case RegistryRoot::CurrentUser: return roots_.CurrentUser;
        case RegistryRoot::LocalMachine: return roots_.LocalMachine;
    }
    return nullptr;
}

bool Win32Registry::KeyExists(RegistryRoot root, std::u16string_view path) {
    RegistryKey key;
    return key.Open(Handle(root), path, KEY_READ) == ERROR_SUCCESS;
}

LONG Win32Registry::CreateKey(RegistryRoot root, std::u16string_view path) {
    RegistryKey key;
    const LONG code = key.Create(Handle(root), path, KEY_WRITE);
    if (code == ERROR_SUCCESS) RegFlushKey(key.Get());
    return code;
}

LONG Win32Registry::DeleteKeyTree(RegistryRoot root, std::u16string_view path) {
    const std::wstring relative = RelativeKeyPath(path);
    // The roots themselves stay.
    if (relative.empty()) return ERROR_ACCESS_DENIED;
    const LONG code = RegDeleteTreeW(Handle(root), relative.c_str());
    if (code == ERROR_SUCCESS) RegFlushKey(Handle(root));
    return code;
}

std::vector<std::u16string> Win32Registry::SubKeyNames(RegistryRoot root, std::u16string_view path) {
    RegistryKey key;
    std::vector<std::u16string> names;
    if (!OpenForReading(key, Handle(root), root, path)) return names;
    for (DWORD index = 0;; ++index) {
        wchar_t name[kMaxKeyName];
        DWORD length = kMaxKeyName;
        const LONG code = RegEnumKeyExW(key.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (code == ERROR_NO_MORE_ITEMS) break;
        if (code != ERROR_SUCCESS) {
            throw Failure(static_cast<DWORD>(code), velmora::Format(u"The sub-keys of %s cannot be listed",
                                                                    {KeyName(root, path)}));
        }
        names.push_back(FromWide(std::wstring_view(name, length)));
    }
    return names;
}

std::vector<std::u16string> Win32Registry::ValueNames(RegistryRoot root, std::u16string_view path) {
    RegistryKey key;
    std::vector<std::u16string> names;
    if (!OpenForReading(key, Handle(root), root, path)) return names;
    std::vector<wchar_t> name(kMaxValueName);
    for (DWORD index = 0;; ++index) {
        DWORD length = kMaxValueName;
        const LONG code = RegEnumValueW(key.Get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (code == ERROR_NO_MORE_ITEMS) break;
        if (code != ERROR_SUCCESS) {
            throw Failure(static_cast<DWORD>(code), velmora::Format(u"The values of %s cannot be listed",
                                                                    {KeyName(root, path)}));
        }
        names.push_back(FromWide(std::wstring_view(name.data(), length)));
    }
    return names;
}

std::optional<RegistryValue> Win32Registry::QueryValue(RegistryRoot root, std::u16string_view path,
                                                       std::u16string_view name) {
    RegistryKey key;
    if (!OpenForReading(key, Handle(root), root, path)) return std::nullopt;
    const std::wstring valueName = Wide(name);
    std::vector<BYTE> data;
    DWORD type = REG_NONE;
    LONG code = ERROR_MORE_DATA;
    // The value may grow between asking its size and reading it.
    while (code == ERROR_MORE_DATA) {
        DWORD size = 0;
        code = RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, &type, nullptr, &size);
        if (code != ERROR_SUCCESS) break;
        data.resize(size);
        code = RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, &type, data.data(), &size);
        data.resize(size);
    }
    if (Missing(code)) return std::nullopt;
    const std::u16string what = velmora::Format(u"The registry value %s of %s", {name, KeyName(root, path)});
    if (code != ERROR_SUCCESS) throw Failure(static_cast<DWORD>(code), what + u" cannot be read");
    switch (type) {
        case REG_SZ: return RegistryValue{RegistryValueType::String, TextOf(data), 0};
        case REG_EXPAND_SZ: return RegistryValue{RegistryValueType::ExpandString, TextOf(data), 0};
        case REG_DWORD:
            if (data.size() == sizeof(DWORD)) {
                DWORD number = 0;
                std::memcpy(&number, data.data(), sizeof number);
                return RegistryValue::OfDword(number);
            }
            break;
        default: break;
    }
    throw Failure(ERROR_INVALID_DATA, what + u" is not a text or a number");
}

LONG Win32Registry::SetValue(RegistryRoot root, std::u16string_view path, std::u16string_view name,
                             const RegistryValue& value) {
    RegistryKey key;
    if (LONG code = key.Open(Handle(root), path, KEY_SET_VALUE); code != ERROR_SUCCESS) return code;
    const std::wstring valueName = Wide(name);
    LONG code = ERROR_SUCCESS;
    if (value.Type == RegistryValueType::Dword) {
        const DWORD number = value.Dword;
        code = RegSetValueExW(key.Get(), valueName.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                              sizeof number);
    } else {
        const std::wstring text = Wide(value.Text);
        code = RegSetValueExW(key.Get(), valueName.c_str(), 0, static_cast<DWORD>(value.Type),
                              reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    if (code == ERROR_SUCCESS) RegFlushKey(key.Get());
    return code;
}

LONG Win32Registry::DeleteValue(RegistryRoot root, std::u16string_view path, std::u16string_view name) {
    RegistryKey key;
    if (LONG code = key.Open(Handle(root), path, KEY_SET_VALUE); code != ERROR_SUCCESS) return code;
    const LONG code = RegDeleteValueW(key.Get(), Wide(name).c_str());
    if (code == ERROR_SUCCESS) RegFlushKey(key.Get());
    return code;
}

}  // namespace win32
