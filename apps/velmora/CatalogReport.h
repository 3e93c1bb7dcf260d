#pragma once

#include <ostream>

#include "posix/system/DriveMap.h"

namespace velmora::cli {

// "velmora catalog list": every entry of the installed catalog of saved
// files, one per line: when it was saved, how its message refers to it,
// its size, the file (native where a drive maps it) and the message's subject.
void ListCatalog(std::ostream& out, const posix::DriveMap& drives);

// "velmora catalog check": each file the catalog records, opened as the
// engine opens it; one line per file that is missing or changed, and a
// summary. Returns whether every file is as saved.
bool CheckCatalog(std::ostream& out, const posix::DriveMap& drives);

}  // namespace velmora::cli
