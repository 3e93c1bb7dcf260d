#pragma once

#include <string>

namespace velmora {

// The running program's file name without directory and extension, read
// from /proc/self/exe; empty where the system offers no such link.
std::u16string ProgramName();

}  // namespace velmora
