#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace win32 {

// New files are written under ".~velmora-<pid>-<unique>.tmp" before they get
// their real names, the same form as on Linux: the id of the writing
// process, so that what a process that died left behind can be told from
// what another run is still writing, and 16 hex digits.
std::u16string TemporaryFileName(DWORD processId, std::uint64_t unique);

// The process id of a name of that form; nothing for any other name.
std::optional<DWORD> TemporaryFileOwner(std::u16string_view name);

// ".~velmora-rename-<16 hex digits>": where a file waits between two
// spellings of its own name. It names no owner, so that leftovers are never
// tidied away: a crash in between leaves the file under this name, not lost.
std::u16string InterimFileName(std::uint64_t unique);

// A unique part not given out before in this process and hard to guess
// from outside it.
std::uint64_t NextTemporaryUnique();

}  // namespace win32
