#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "host/UserInterface.h"
#include "posix/system/WindowsFileSystem.h"

namespace qtui {

// The folder browser as Qt's own (non-native) directory dialog over the
// Linux directories that the mapped drives stand on. The drives' roots (and
// the desktop, when that is the root) are its places; the chosen directory
// comes back as a Windows path, and one outside every mapped drive counts
// as not confirmed.
class QtFolderBrowser final : public host::FolderBrowser {
public:
    explicit QtFolderBrowser(const posix::WindowsFileSystem& fileSystem) : fileSystem_(fileSystem) {}

    std::optional<std::u16string> Browse(const host::FolderBrowseRequest& request,
                                         host::FolderBrowserEvents& events) override;

    // The directories the tree starts from; empty when the root is not available.
    std::vector<std::filesystem::path> Places(host::BrowseRoot root) const;

private:
    const posix::WindowsFileSystem& fileSystem_;
};

}  // namespace qtui
