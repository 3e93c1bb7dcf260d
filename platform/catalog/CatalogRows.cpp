#include "catalog/CatalogRows.h"

#include <array>
#include <cstdint>

#include "catalog/CatalogConnection.h"
#include "catalog/CatalogErrors.h"
#include "catalog/CatalogStatement.h"

namespace catalog {

namespace {

// In the order of the fields of host::CatalogEntry after Id.
constexpr std::array<const char*, kEntryFields> kFieldColumns = {
    "path", "path_key", "directory_key", "size", "sha256", "device", "file_id", "last_write_time", "saved_at",
    "reference", "item_id", "link_id", "subject", "original_name", "part_properties"};

// Unsigned 64-bit values are kept bit for bit in SQLite's signed integers.
std::int64_t AsStored(std::uint64_t value) { return static_cast<std::int64_t>(value); }
std::uint64_t AsUnsigned(std::int64_t value) { return static_cast<std::uint64_t>(value); }

host::CatalogReference ReferenceOf(std::int64_t value, const CatalogStatement& statement) {
    if (value < static_cast<std::int64_t>(host::CatalogReference::Copy) ||
        value > static_cast<std::int64_t>(host::CatalogReference::Reintroduced)) {
        ThrowDamaged(statement.Connection().FileName(), u"an entry refers to its file in an unknown way");
    }
    return static_cast<host::CatalogReference>(value);
}

std::string JoinedColumns() {
    std::string columns;
    for (const char* column : kFieldColumns) {
        if (!columns.empty()) columns += ", ";
        columns += column;
    }
    return columns;
}

std::string NumberedParameters() {
    std::string parameters;
    for (int index = 1; index <= kEntryFields; ++index) {
        if (index > 1) parameters += ", ";
        parameters += "?" + std::to_string(index);
    }
    return parameters;
}

}  // namespace

std::string SelectEntriesSql(std::string_view condition) {
    return "SELECT id, " + JoinedColumns() + " FROM saved_files WHERE " + std::string(condition);
}

std::string InsertEntrySql() {
    return "INSERT INTO saved_files (" + JoinedColumns() + ") VALUES (" + NumberedParameters() + ")";
}

std::string UpdateEntrySql() {
    std::string assignments;
    for (int index = 1; index <= kEntryFields; ++index) {
        if (index > 1) assignments += ", ";
        assignments += std::string(kFieldColumns[index - 1]) + " = ?" + std::to_string(index);
    }
    return "UPDATE saved_files SET " + assignments + " WHERE id = ?" + std::to_string(kEntryFields + 1);
}

void BindEntryFields(CatalogStatement& statement, const host::CatalogEntry& entry) {
    statement.BindText(1, entry.Path)
        .BindText(2, entry.PathKey)
        .BindText(3, entry.DirectoryKey)
        .BindInteger(4, AsStored(entry.Size))
        .BindUtf8(5, entry.Sha256)
        .BindInteger(6, AsStored(entry.Device))
        .BindInteger(7, AsStored(entry.FileId))
        .BindInteger(8, AsStored(entry.LastWriteTime))
        .BindReal(9, entry.SavedAt)
        .BindInteger(10, static_cast<std::int64_t>(entry.Reference))
        .BindText(11, entry.ItemId)
        .BindText(12, entry.LinkId)
        .BindText(13, entry.Subject)
        .BindText(14, entry.OriginalName)
        .BindText(15, entry.PartProperties);
}

host::CatalogEntry ReadEntry(const CatalogStatement& statement) {
    host::CatalogEntry entry;
    entry.Id = statement.Integer(0);
    entry.Path = statement.Text(1);
    entry.PathKey = statement.Text(2);
    entry.DirectoryKey = statement.Text(3);
    entry.Size = AsUnsigned(statement.Integer(4));
    entry.Sha256 = statement.Utf8(5);
    entry.Device = AsUnsigned(statement.Integer(6));
    entry.FileId = AsUnsigned(statement.Integer(7));
    entry.LastWriteTime = AsUnsigned(statement.Integer(8));
    entry.SavedAt = statement.Real(9);
    entry.Reference = ReferenceOf(statement.Integer(10), statement);
    entry.ItemId = statement.Text(11);
    entry.LinkId = statement.Text(12);
    entry.Subject = statement.Text(13);
    entry.OriginalName = statement.Text(14);
    entry.PartProperties = statement.Text(15);
    return entry;
}

}  // namespace catalog
