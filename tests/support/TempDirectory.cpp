#include "TempDirectory.h"

#include <random>
#include <string>
#include <system_error>

namespace testing_support {

TempDirectory::TempDirectory() {
    std::random_device random;
    for (;;) {
        path_ = std::filesystem::temp_directory_path() / ("velmora-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(path_)) return;
    }
}

TempDirectory::~TempDirectory() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace testing_support
