#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace posix {

// A failed SQLite call, with SQLite's primary result code.
class SqliteFailure : public std::runtime_error {
public:
    SqliteFailure(int code, const std::string& message);
    int Code() const noexcept { return code_; }

private:
    int code_;
};

// One prepared statement. Text is bound and read as native UTF-16, which is
// also the encoding of the hive files, so no text is ever converted.
class SqliteStatement {
public:
    SqliteStatement(sqlite3* db, std::string_view sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    SqliteStatement& Bind(int index, std::int64_t value);
    SqliteStatement& Bind(int index, std::u16string_view text);
    // Runs to the next row; false when the statement is done.
    bool Step();
    void Reset();

    int ColumnType(int column) const;
    std::int64_t Integer(int column) const;
    std::u16string Text(int column) const;

private:
    void Check(int result) const;

    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

enum class OpenMode { ReadOnly, ReadWriteCreate };

// A connection to one hive file, opened per registry call so that nothing
// is cached between calls.
class SqliteConnection {
public:
    SqliteConnection(const std::filesystem::path& file, OpenMode mode);
    ~SqliteConnection();
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    void Execute(const char* sql);
    SqliteStatement Prepare(std::string_view sql) { return SqliteStatement(db_, sql); }
    std::int64_t LastInsertId() const;
    // Rows changed by the last statement.
    int Changes() const;

private:
    sqlite3* db_ = nullptr;
};

enum class TransactionKind { Read, Write };

// Rolls back unless committed. A write transaction takes the write lock at
// once, so that a second process waits for it instead of failing on a
// deadlocked lock upgrade.
class SqliteTransaction {
public:
    SqliteTransaction(SqliteConnection& db, TransactionKind kind);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;

    void Commit();

private:
    SqliteConnection& db_;
    bool open_ = true;
};

}  // namespace posix
