#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

struct sqlite3;

namespace catalog {

// The open catalog file. Commits leave the write-ahead log to the operating
// system (a crash may lose them, never damage the file) until SyncLog; calls
// wait up to a minute for another run's transaction. Failures throw
// host::HostError naming the file.
class CatalogConnection {
public:
    // Creates the file when missing; the folder that is to hold it must exist.
    explicit CatalogConnection(const std::filesystem::path& file);
    ~CatalogConnection();
    CatalogConnection(const CatalogConnection&) = delete;
    CatalogConnection& operator=(const CatalogConnection&) = delete;

    sqlite3* Handle() const { return db_; }
    // The file as messages name it.
    const std::u16string& FileName() const { return fileName_; }

    void Execute(const char* sql);
    // Throws the failure that the last SQLite call on this connection returned.
    [[noreturn]] void Fail(int result) const;

    bool InTransaction() const;
    // Brings every transaction committed so far to stable storage.
    void SyncLog();
    std::int64_t LastInsertId() const;
    int Changes() const;

private:
    void Configure();

    std::u16string fileName_;
    sqlite3* db_ = nullptr;
};

}  // namespace catalog
