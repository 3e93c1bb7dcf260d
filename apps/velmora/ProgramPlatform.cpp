#include "velmora/ProgramPlatform.h"

#include "velmora/NativePaths.h"

namespace velmora::cli {

ProgramPlatform::ProgramPlatform(bool storeSettings)
    : hives_(posix::HiveFiles::FromEnvironment()),
      stored_(hives_),
      seen_(stored_),
      runOnly_(seen_),
      files_(WithRootDrive(posix::DriveMap::FromEnvironment())),
      libraries_(files_.Drives()),
      scope_(host::Platform{storeSettings ? static_cast<host::Registry*>(&seen_) : &runOnly_, &files_, &libraries_,
                            &system_}) {}

}  // namespace velmora::cli
