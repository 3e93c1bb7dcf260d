#include "HostPlatform.h"

#include <cstdlib>

#include "base/Exception.h"
#include "velmora/NativePaths.h"

namespace velmora::desktop {

namespace {

posix::DriveMap SharedDrives() {
    posix::DriveMap drives = cli::WithRootDrive(posix::DriveMap::FromEnvironment());
    const std::optional<std::string> setting = DrivesSetting(drives);
    if (!setting) {
        throw Exception(u"A drive's directory holds ';' or a line break, which VELMORA_DRIVES cannot carry to the "
                        u"add-ins; map the drives with VELMORA_DRIVES");
    }
    setenv("VELMORA_DRIVES", setting->c_str(), 1);
    return drives;
}

}  // namespace

std::optional<std::string> DrivesSetting(const posix::DriveMap& drives) {
    std::string setting;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const auto root = drives.Root(static_cast<char16_t>(letter));
        if (!root) continue;
        const std::string directory = root->string();
        if (directory.find_first_of(";\r\n") != std::string::npos) return std::nullopt;
        if (!setting.empty()) setting += ';';
        setting += std::string(1, letter) + "=" + directory;
    }
    return setting;
}

HostPlatform::HostPlatform()
    : hives_(posix::HiveFiles::FromEnvironment()),
      registry_(hives_),
      files_(SharedDrives()),
      libraries_(files_.Drives()),
      scope_(host::Platform{&registry_, &files_, &libraries_, &system_}) {}

}  // namespace velmora::desktop
