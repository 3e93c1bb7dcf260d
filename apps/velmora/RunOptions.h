#pragma once

#include <string>

#include "engine/uOutlookManagerConfig.h"
#include "posix/system/DriveMap.h"
#include "velmora/CommandLine.h"

namespace velmora::cli {

// Writes the options of the request into the engine's settings, as the
// dialog's OK stores its controls (the operation and the kind of target
// included); what the request leaves out keeps its stored value. Paths are
// stored in the engine's Windows form.
void ApplyOptions(const Request& request, TOutlookManagerConfig& config, const posix::DriveMap& drives);

struct Roots {
    std::u16string oldRoot;
    std::u16string newRoot;
};

// The two roots of a re-root run as the dialog validates them: trimmed, not
// empty ("Error: source directory not specified", "Error: destination
// directory not specified"), the new one created when missing ("Error
// creating directory: %s"), both ending in '\'. The old root defaults to the
// stored LastToDir. Needs the platform installed.
Roots ReRootRoots(const Request& request, TOutlookManagerConfig& config, const posix::DriveMap& drives);

// An error as the dialog shows it: a period appended unless the message ends
// in a character that sorts at or below '.'.
std::u16string ErrorText(std::u16string_view message);

}  // namespace velmora::cli
