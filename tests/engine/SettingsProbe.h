#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "TestPlatform.h"
#include "engine/ConfigError.h"
#include "host/Registry.h"

// Looks at and changes the registry behind a settings object's back.
struct SettingsProbe {
    testing_support::TestPlatform platform;
    host::RegistryRoot root = host::RegistryRoot::CurrentUser;
    std::u16string key = u"Software\\Ondrel\\Velmora";

    std::optional<host::RegistryValue> Stored(std::u16string_view name) {
        return platform.Registry().QueryValue(root, key, name);
    }
    void Store(std::u16string_view name, const host::RegistryValue& value) {
        platform.Registry().CreateKey(root, key);
        platform.Registry().SetValue(root, key, name, value);
    }
    void Forget(std::u16string_view name) { platform.Registry().DeleteValue(root, key, name); }
    void SetUserHiveWritable(bool writable) { platform.SetUserHiveWritable(writable); }
};

// Runs `action` and gives the settings error's message, or "no error".
template <class Action>
std::string ConfigError(Action action) {
    try {
        action();
    } catch (const velmora::EConfigClass& error) {
        return error.what();
    }
    return "no error";
}
