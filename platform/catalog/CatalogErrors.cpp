#include "catalog/CatalogErrors.h"

#include <sqlite3.h>

#include "base/Utf16.h"
#include "host/HostError.h"

namespace catalog {

namespace {

std::u16string Named(std::u16string_view file) { return u"The catalog of saved files " + std::u16string(file); }

[[noreturn]] void Throw(LONG code, std::u16string message) {
    throw host::HostError(HRESULT_FROM_WIN32(code), std::move(message));
}

}  // namespace

void ThrowDamaged(std::u16string_view file, std::u16string_view reason) {
    Throw(ERROR_INVALID_DATA, Named(file) + u" is damaged (" + std::u16string(reason) +
                                  u"): move it away; \"velmora catalog adopt\" records the links of a mailbox again.");
}

void ThrowAccessDenied(std::u16string_view file, std::u16string_view reason) {
    Throw(ERROR_ACCESS_DENIED, Named(file) + u" cannot be opened for writing (" + std::u16string(reason) + u").");
}

void ThrowFolderMissing(std::u16string_view folder) {
    Throw(ERROR_PATH_NOT_FOUND,
          u"The folder " + std::u16string(folder) + u" that is to hold the catalog of saved files does not exist.");
}

void ThrowMisuse(std::u16string_view file, std::u16string_view problem) {
    throw host::HostError(E_UNEXPECTED, Named(file) + u" " + std::u16string(problem) + u".");
}

void ThrowNoSuchEntry(std::u16string_view file, long long id) {
    Throw(ERROR_FILE_NOT_FOUND, Named(file) + u" has no entry " + velmora::FromUtf8(std::to_string(id)) + u".");
}

void ThrowSqliteFailure(std::u16string_view file, int result, std::string_view text) {
    std::u16string words = velmora::FromUtf8(text);
    switch (result & 0xFF) {
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB: ThrowDamaged(file, words);
        case SQLITE_FULL: Throw(ERROR_DISK_FULL, Named(file) + u" cannot grow: the disk is full (" + words + u").");
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_AUTH:
        case SQLITE_CANTOPEN: ThrowAccessDenied(file, words);
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            Throw(ERROR_LOCK_VIOLATION,
                  Named(file) + u" stayed in use by another run for more than a minute (" + words + u").");
        default: throw host::HostError(E_FAIL, Named(file) + u" failed (" + words + u").");
    }
}

}  // namespace catalog
