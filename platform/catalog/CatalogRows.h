#pragma once

#include <string>
#include <string_view>

#include "host/Catalog.h"

namespace catalog {

class CatalogStatement;

// How a host::CatalogEntry is a row of the table saved_files.

// The entries that meet condition (SQL, may use parameters), every column in
// the order ReadEntry reads them.
std::string SelectEntriesSql(std::string_view condition);
// Parameters 1 to kEntryFields take the fields of BindEntryFields.
std::string InsertEntrySql();
// As InsertEntrySql, and parameter kEntryFields + 1 the Id.
std::string UpdateEntrySql();
inline constexpr int kEntryFields = 15;

// Every field but Id, to parameters 1 to kEntryFields.
void BindEntryFields(CatalogStatement& statement, const host::CatalogEntry& entry);
// The current row of a statement of SelectEntriesSql.
host::CatalogEntry ReadEntry(const CatalogStatement& statement);

}  // namespace catalog
