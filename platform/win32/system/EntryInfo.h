#pragma once

#include <windows.h>

#include <string>

#include "host/FileSystem.h"
#include "win32/system/NtFiles.h"

namespace win32 {

// What an open handle tells of its entry, as the host's status.
host::EntryStatus StatusOf(HANDLE entry);

bool IsReparsePoint(const host::EntryStatus& status);

// The last component of the open entry's path as the file system stores it.
std::u16string StoredName(HANDLE entry);

}  // namespace win32
