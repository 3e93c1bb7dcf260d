#pragma once

#include <string>
#include <string_view>

#include "posix/system/DriveMap.h"

namespace velmora::cli {

// The drives of the environment (posix::DriveMap::FromEnvironment: C: and D:
// under the user's data directory unless VELMORA_DRIVES says otherwise) and
// one more for the whole native file system, so that every native path has a
// Windows form the engine can work with. That drive is Z: onto "/", unless a
// drive of the environment is "/" already (then none is added) or Z: is taken
// (then the highest free letter below Z). Throws velmora::Exception when every
// letter is taken.
posix::DriveMap WithRootDrive(posix::DriveMap drives);

// A path as the user typed it, in the Windows form the engine works with. An
// absolute Windows path ("X:\..." or "X:/...", or "X:") keeps its form, with
// '/' turned into '\'; anything else is a native path, made absolute against
// the current directory and placed by the drive map. An empty text stays
// empty. Throws velmora::Exception when the native path lies on no drive.
std::u16string ToEnginePath(std::string_view typed, const posix::DriveMap& drives);

}  // namespace velmora::cli
