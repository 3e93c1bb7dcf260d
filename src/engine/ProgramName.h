#pragma once

#include <string>

namespace velmora {

// The running program's file name without directory and extension (on
// Windows from the process's module, elsewhere from /proc/self/exe); empty
// when the system does not tell.
std::u16string ProgramName();

}  // namespace velmora
