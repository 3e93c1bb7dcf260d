#pragma once

namespace catalog {

class CatalogConnection;

// Lays out a new (empty) catalog file, and refuses a file laid out otherwise:
// another version, another program's tables, or part of the catalog missing.
void PrepareCatalogSchema(CatalogConnection& connection);

}  // namespace catalog
