#include "posix/registry/SqliteRegistry.h"

#include <sqlite3.h>

#include <system_error>

#include "base/Format.h"
#include "base/Utf16.h"
#include "host/HostError.h"
#include "posix/registry/HiveAccess.h"

namespace posix {

namespace {

using host::RegistryRoot;

std::u16string_view RootName(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::ClassesRoot: return u"HKEY_CLASSES_ROOT";
        case RegistryRoot::CurrentUser: return u"HKEY_CURRENT_USER";
        case RegistryRoot::LocalMachine: return u"HKEY_LOCAL_MACHINE";
    }
    return u"";
}

LONG Win32CodeOf(const SqliteFailure& failure) {
    switch (failure.Code()) {
        case SQLITE_READONLY:
        case SQLITE_CANTOPEN:
        case SQLITE_PERM:
        case SQLITE_AUTH: return ERROR_ACCESS_DENIED;
        case SQLITE_FULL: return ERROR_DISK_FULL;
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB: return ERROR_REGISTRY_CORRUPT;
        default: return ERROR_REGISTRY_IO_FAILED;
    }
}

bool FileExists(const std::filesystem::path& file) {
    std::error_code ignored;
    return std::filesystem::exists(file, ignored);
}

// A hive that is there but cannot be read: named, with what to do about it,
// since settings or registrations read from it would otherwise be taken as
// never written.
host::HostError Unreadable(RegistryRoot root, const std::filesystem::path& file, std::u16string_view reason,
                           LONG code) {
    const bool user = root == RegistryRoot::CurrentUser;
    return host::HostError(
        HRESULT_FROM_WIN32(code),
        velmora::Format(u"The %s registry hive %s cannot be read (%s). %s",
                        {user ? u"user's" : u"machine's", velmora::FromUtf8(file.string()), reason,
                         user ? u"Restore it from a backup, or move it aside to start again with the default settings"
                              : u"Restore it from a backup, or move it aside and register the MAPI provider and "
                                u"the add-in again"}));
}

}  // namespace

const std::filesystem::path& SqliteRegistry::FileOf(RegistryRoot root) const {
    return root == RegistryRoot::CurrentUser ? files_.user : files_.machine;
}

template <class Result, class Action>
Result SqliteRegistry::Read(RegistryRoot root, std::u16string_view path, Result missing, Action action) {
    const auto& file = FileOf(root);
    if (!FileExists(file)) return missing;
    std::error_code ignored;
    if (std::filesystem::is_directory(file, ignored)) {
        throw Unreadable(root, file, u"it is a directory", ERROR_ACCESS_DENIED);
    }
    try {
        SqliteConnection db(file, OpenMode::ReadOnly);
        SqliteTransaction transaction(db, TransactionKind::Read);
        HiveTree tree(db);
        switch (tree.Content()) {
            case HiveContent::Empty: return missing;
            case HiveContent::Foreign:
                throw Unreadable(root, file, u"it holds a database of something else", ERROR_REGISTRY_CORRUPT);
            case HiveContent::Hive: break;
        }
        auto key = tree.FindKey(RootName(root), SplitKeyPath(path));
        return key ? action(tree, *key) : missing;
    } catch (const SqliteFailure& failure) {
        throw Unreadable(root, file, velmora::FromUtf8(failure.what()), Win32CodeOf(failure));
    }
}

LONG SqliteRegistry::Write(RegistryRoot root, MissingFile missingFile,
                           const std::function<LONG(HiveTree&)>& action) {
    const auto& file = FileOf(root);
    if (!MayWriteHive(file)) return ERROR_ACCESS_DENIED;
    if (!FileExists(file)) {
        if (missingFile == MissingFile::NotFound) return ERROR_FILE_NOT_FOUND;
        if (!CreateHiveDirectory(file)) return ERROR_ACCESS_DENIED;
    }
    try {
        SqliteConnection db(file, OpenMode::ReadWriteCreate);
        SqliteTransaction transaction(db, TransactionKind::Write);
        HiveTree tree(db);
        if (tree.Content() == HiveContent::Foreign) return ERROR_REGISTRY_CORRUPT;
        tree.CreateSchema();
        LONG result = action(tree);
        if (result == ERROR_SUCCESS) transaction.Commit();
        return result;
    } catch (const SqliteFailure& failure) {
        return Win32CodeOf(failure);
    }
}

LONG SqliteRegistry::WriteToKey(RegistryRoot root, std::u16string_view path, const KeyAction& action) {
    return Write(root, MissingFile::NotFound, [&](HiveTree& tree) {
        auto key = tree.FindKey(RootName(root), SplitKeyPath(path));
        return key ? action(tree, *key) : ERROR_FILE_NOT_FOUND;
    });
}

bool SqliteRegistry::KeyExists(RegistryRoot root, std::u16string_view path) {
    if (SplitKeyPath(path).empty()) return true;
    return Read(root, path, false, [](HiveTree&, HiveTree::KeyId) { return true; });
}

LONG SqliteRegistry::CreateKey(RegistryRoot root, std::u16string_view path) {
    return Write(root, MissingFile::Create, [&](HiveTree& tree) {
        tree.CreateKey(RootName(root), SplitKeyPath(path));
        return ERROR_SUCCESS;
    });
}

LONG SqliteRegistry::DeleteKeyTree(RegistryRoot root, std::u16string_view path) {
    if (SplitKeyPath(path).empty()) return ERROR_ACCESS_DENIED;
    return WriteToKey(root, path, [](HiveTree& tree, HiveTree::KeyId key) {
        tree.DeleteKeyTree(key);
        return ERROR_SUCCESS;
    });
}

std::vector<std::u16string> SqliteRegistry::SubKeyNames(RegistryRoot root, std::u16string_view path) {
    return Read(root, path, std::vector<std::u16string>{},
                [](HiveTree& tree, HiveTree::KeyId key) { return tree.SubKeyNames(key); });
}

std::vector<std::u16string> SqliteRegistry::ValueNames(RegistryRoot root, std::u16string_view path) {
    return Read(root, path, std::vector<std::u16string>{},
                [](HiveTree& tree, HiveTree::KeyId key) { return tree.ValueNames(key); });
}

std::optional<host::RegistryValue> SqliteRegistry::QueryValue(RegistryRoot root, std::u16string_view path,
                                                              std::u16string_view name) {
    return Read(root, path, std::optional<host::RegistryValue>{},
                [&](HiveTree& tree, HiveTree::KeyId key) { return tree.QueryValue(key, name); });
}

LONG SqliteRegistry::SetValue(RegistryRoot root, std::u16string_view path, std::u16string_view name,
                              const host::RegistryValue& value) {
    if (!IsKnownValueType(static_cast<std::uint32_t>(value.Type))) return ERROR_INVALID_PARAMETER;
    return WriteToKey(root, path, [&](HiveTree& tree, HiveTree::KeyId key) {
        tree.SetValue(key, name, value);
        return ERROR_SUCCESS;
    });
}

LONG SqliteRegistry::DeleteValue(RegistryRoot root, std::u16string_view path, std::u16string_view name) {
    return WriteToKey(root, path, [&](HiveTree& tree, HiveTree::KeyId key) {
        return tree.DeleteValue(key, name) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

}  // namespace posix
