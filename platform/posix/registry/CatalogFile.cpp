#include "posix/registry/CatalogFile.h"

#include <cstdlib>

#include "posix/registry/HiveFiles.h"

namespace posix {

std::filesystem::path CatalogFileFromEnvironment() {
    if (const char* file = std::getenv("VELMORA_CATALOG"); file != nullptr && *file != '\0') return file;
    return HiveFiles::FromEnvironment().user.parent_path() / "catalog.db";
}

}  // namespace posix
