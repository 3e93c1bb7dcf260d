#pragma once

#include <ostream>

#include "velmora/CommandLine.h"

namespace velmora::cli {

inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitCancelled = 130;

// Runs the request: the log and the counters go to standard output (with a
// progress line on a terminal), the question reads standard input, and
// errors, warnings and what to do about them go to err. Gives the exit
// status; errors are reported, never thrown.
int Execute(const Request& request, std::ostream& err);

}  // namespace velmora::cli
