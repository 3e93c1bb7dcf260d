#include "posix/registry/SqliteConnection.h"

#include <sqlite3.h>

#include <cstring>

namespace posix {

namespace {

// Long enough for any other process to finish its one-statement transaction.
constexpr int kBusyTimeoutMilliseconds = 10000;

[[noreturn]] void Fail(sqlite3* db, int result) {
    throw SqliteFailure(result & 0xFF, db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(result));
}

}  // namespace

SqliteFailure::SqliteFailure(int code, const std::string& message) : std::runtime_error(message), code_(code) {}

SqliteStatement::SqliteStatement(sqlite3* db, std::string_view sql) : db_(db) {
    Check(sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &statement_, nullptr));
}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(statement_); }

void SqliteStatement::Check(int result) const {
    if (result != SQLITE_OK) Fail(db_, result);
}

SqliteStatement& SqliteStatement::Bind(int index, std::int64_t value) {
    Check(sqlite3_bind_int64(statement_, index, value));
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, std::u16string_view text) {
    // An empty view may carry no pointer, which SQLite would store as NULL.
    const char16_t* characters = text.empty() ? u"" : text.data();
    Check(sqlite3_bind_text16(statement_, index, characters, static_cast<int>(text.size() * sizeof(char16_t)),
                              SQLITE_TRANSIENT));
    return *this;
}

bool SqliteStatement::Step() {
    int result = sqlite3_step(statement_);
    if (result == SQLITE_ROW) return true;
    if (result == SQLITE_DONE) return false;
    Fail(db_, result);
}

void SqliteStatement::Reset() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

int SqliteStatement::ColumnType(int column) const { return sqlite3_column_type(statement_, column); }

std::int64_t SqliteStatement::Integer(int column) const { return sqlite3_column_int64(statement_, column); }

std::u16string SqliteStatement::Text(int column) const {
    auto characters = static_cast<const char16_t*>(sqlite3_column_text16(statement_, column));
    if (characters == nullptr) return {};
    auto length = static_cast<std::size_t>(sqlite3_column_bytes16(statement_, column)) / sizeof(char16_t);
    return std::u16string(characters, length);
}

SqliteConnection::SqliteConnection(const std::filesystem::path& file, OpenMode mode) {
    int flags = mode == OpenMode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    int result = sqlite3_open_v2(file.c_str(), &db_, flags, nullptr);
    if (result != SQLITE_OK) {
        std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(result);
        // SQLite's "unable to open database file" does not say why.
        if (const int error = db_ != nullptr ? sqlite3_system_errno(db_) : 0; error != 0) {
            message += std::string(": ") + std::strerror(error);
        }
        sqlite3_close(db_);
        throw SqliteFailure(result & 0xFF, message);
    }
    sqlite3_busy_timeout(db_, kBusyTimeoutMilliseconds);
    try {
        Execute("PRAGMA synchronous = FULL");
        // Takes effect only while the file is still empty: new hives keep
        // their text as UTF-16, as the registry does.
        if (mode == OpenMode::ReadWriteCreate) Execute("PRAGMA encoding = 'UTF-16'");
    } catch (...) {
        sqlite3_close(db_);
        throw;
    }
}

SqliteConnection::~SqliteConnection() { sqlite3_close(db_); }

void SqliteConnection::Execute(const char* sql) {
    int result = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    if (result != SQLITE_OK) Fail(db_, result);
}

std::int64_t SqliteConnection::LastInsertId() const { return sqlite3_last_insert_rowid(db_); }

int SqliteConnection::Changes() const { return sqlite3_changes(db_); }

SqliteTransaction::SqliteTransaction(SqliteConnection& db, TransactionKind kind) : db_(db) {
    db_.Execute(kind == TransactionKind::Write ? "BEGIN IMMEDIATE" : "BEGIN");
}

SqliteTransaction::~SqliteTransaction() {
    if (!open_) return;
    try {
        db_.Execute("ROLLBACK");
    } catch (const SqliteFailure&) {
        // SQLite has already rolled back after the error that brought us here.
    }
}

void SqliteTransaction::Commit() {
    db_.Execute("COMMIT");
    open_ = false;
}

}  // namespace posix
