#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace posix {

// New files are written under ".~velmora-<pid>-<unique>.tmp" before they get
// their real names: the pid of the writing process, so that what a process
// that died left behind can be told from what another run is still writing,
// and a unique part of 16 hex digits.
std::string TemporaryFileName(pid_t pid, std::uint64_t unique);

// The pid of a name of that form; nullopt for any other name.
std::optional<pid_t> TemporaryFileOwner(std::string_view name);

// A unique part not given out before in this process and hard to guess
// from outside it.
std::uint64_t NextTemporaryUnique();

}  // namespace posix
