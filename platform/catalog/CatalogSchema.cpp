#include "catalog/CatalogSchema.h"

#include <cstdint>
#include <string>

#include "base/Utf16.h"
#include "catalog/CatalogConnection.h"
#include "catalog/CatalogErrors.h"
#include "catalog/CatalogStatement.h"

namespace catalog {

namespace {

constexpr std::int64_t kSchemaVersion = 1;

// Integers hold unsigned 64-bit values bit for bit; link identities are
// unique where there is one.
constexpr const char* kCreateSchema = R"sql(
CREATE TABLE saved_files (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    path TEXT NOT NULL,
    path_key TEXT NOT NULL,
    directory_key TEXT NOT NULL,
    size INTEGER NOT NULL,
    sha256 TEXT NOT NULL,
    device INTEGER NOT NULL,
    file_id INTEGER NOT NULL,
    last_write_time INTEGER NOT NULL,
    saved_at REAL NOT NULL,
    reference INTEGER NOT NULL,
    item_id TEXT NOT NULL,
    link_id TEXT NOT NULL,
    subject TEXT NOT NULL,
    original_name TEXT NOT NULL,
    part_properties TEXT NOT NULL);
CREATE INDEX saved_files_by_link ON saved_files (link_id) WHERE link_id <> '';
CREATE INDEX saved_files_by_path ON saved_files (path_key);
CREATE INDEX saved_files_by_hash ON saved_files (sha256, directory_key);
CREATE INDEX saved_files_by_item ON saved_files (item_id);
PRAGMA user_version = 1;
)sql";

constexpr const char* kCountCatalogObjects = R"sql(
SELECT count(*) FROM sqlite_schema
WHERE (type = 'table' AND name = 'saved_files')
   OR (type = 'index' AND name IN ('saved_files_by_link', 'saved_files_by_path',
                                   'saved_files_by_hash', 'saved_files_by_item')))sql";
constexpr std::int64_t kCatalogObjects = 5;

std::int64_t QueryInteger(CatalogConnection& connection, const char* sql) {
    CatalogStatement query(connection, sql);
    return query.Step() ? query.Integer(0) : 0;
}

std::int64_t SchemaVersion(CatalogConnection& connection) {
    return QueryInteger(connection, "PRAGMA user_version");
}

// Under the write lock, as another run may be laying out the same new file.
void CreateSchemaWhenNew(CatalogConnection& connection) {
    if (SchemaVersion(connection) != 0) return;
    if (QueryInteger(connection, "SELECT count(*) FROM sqlite_schema") != 0) {
        ThrowDamaged(connection.FileName(), u"it holds the tables of another program");
    }
    connection.Execute(kCreateSchema);
}

void CreateSchema(CatalogConnection& connection) {
    connection.Execute("BEGIN IMMEDIATE");
    try {
        CreateSchemaWhenNew(connection);
        connection.Execute("COMMIT");
    } catch (...) {
        if (connection.InTransaction()) connection.Execute("ROLLBACK");
        throw;
    }
    connection.SyncLog();
}

}  // namespace

void PrepareCatalogSchema(CatalogConnection& connection) {
    if (SchemaVersion(connection) == 0) CreateSchema(connection);
    if (auto version = SchemaVersion(connection); version != kSchemaVersion) {
        ThrowDamaged(connection.FileName(),
                     u"its layout has the unknown version " + velmora::FromUtf8(std::to_string(version)));
    }
    if (QueryInteger(connection, kCountCatalogObjects) != kCatalogObjects) {
        ThrowDamaged(connection.FileName(), u"a table or an index of the catalog is missing");
    }
}

}  // namespace catalog
