#include "catalog/CatalogConnection.h"

#include <sqlite3.h>

#include <string>
#include <system_error>

#include "base/Utf16.h"
#include "catalog/CatalogErrors.h"
#include "catalog/CatalogStatement.h"

namespace catalog {

namespace {

// Two runs over different mailboxes share the catalog; one waits for the
// other's batch rather than failing.
constexpr int kBusyTimeoutMilliseconds = 60 * 1000;

// SQLite takes file names as UTF-8 on every platform.
std::string Utf8Of(const std::filesystem::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::u16string NameOf(const std::filesystem::path& path) { return velmora::FromUtf8(Utf8Of(path)); }

void RequireUsableLocation(const std::filesystem::path& file, std::u16string_view name) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (auto folder = file.parent_path(); !folder.empty() && !fs::is_directory(folder, error)) {
        ThrowFolderMissing(NameOf(folder));
    }
    auto status = fs::status(file, error);
    // A file that cannot be examined is left to SQLite, which says why it cannot open it.
    if (status.type() == fs::file_type::not_found || status.type() == fs::file_type::none) return;
    if (status.type() != fs::file_type::regular) ThrowAccessDenied(name, u"it is not a file");
    // Someone who made the catalog read-only meant it for every user, the
    // administrator included, whom the system would let write it anyway.
    constexpr auto kAnyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((status.permissions() & kAnyWrite) == fs::perms::none) ThrowAccessDenied(name, u"the file is read-only");
}

}  // namespace

CatalogConnection::CatalogConnection(const std::filesystem::path& file) : fileName_(NameOf(file)) {
    RequireUsableLocation(file, fileName_);
    int result = sqlite3_open_v2(Utf8Of(file).c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    try {
        if (result != SQLITE_OK) Fail(result);
        Configure();
    } catch (...) {
        sqlite3_close(db_);
        throw;
    }
}

CatalogConnection::~CatalogConnection() { sqlite3_close(db_); }

void CatalogConnection::Configure() {
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, kBusyTimeoutMilliseconds);
    // SQLite opens a file it may not write read-only without a word.
    if (sqlite3_db_readonly(db_, "main") == 1) ThrowAccessDenied(fileName_, u"the file is read-only");
    CatalogStatement journal(*this, "PRAGMA journal_mode = WAL");
    if (!journal.Step() || journal.Utf8(0) != "wal") {
        ThrowAccessDenied(fileName_, u"its folder cannot hold the write-ahead log beside it");
    }
    // The level cannot change inside a transaction, so it stays at the level
    // of the batches; a durable commit flushes the log itself (SyncLog).
    Execute("PRAGMA synchronous = NORMAL");
}

void CatalogConnection::Execute(const char* sql) {
    int result = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    if (result != SQLITE_OK) Fail(result);
}

void CatalogConnection::Fail(int result) const {
    ThrowSqliteFailure(fileName_, result, db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(result));
}

bool CatalogConnection::InTransaction() const { return sqlite3_get_autocommit(db_) == 0; }

void CatalogConnection::SyncLog() {
    sqlite3_mutex_enter(sqlite3_db_mutex(db_));
    sqlite3_file* log = nullptr;
    int result = sqlite3_file_control(db_, "main", SQLITE_FCNTL_JOURNAL_POINTER, &log);
    if (result == SQLITE_OK && log != nullptr && log->pMethods != nullptr) {
        result = log->pMethods->xSync(log, SQLITE_SYNC_NORMAL);
    }
    sqlite3_mutex_leave(sqlite3_db_mutex(db_));
    if (result != SQLITE_OK) ThrowSqliteFailure(fileName_, result, sqlite3_errstr(result));
}

std::int64_t CatalogConnection::LastInsertId() const { return sqlite3_last_insert_rowid(db_); }

int CatalogConnection::Changes() const { return sqlite3_changes(db_); }

}  // namespace catalog
