#pragma once

#include <filesystem>

namespace posix {

// Where the catalog of saved files lives: $VELMORA_CATALOG, else catalog.db
// beside the user's registry hive (see HiveFiles), whose folder it shares.
// An empty variable counts as unset. Throws host::HostError as
// HiveFiles::FromEnvironment does.
std::filesystem::path CatalogFileFromEnvironment();

}  // namespace posix
