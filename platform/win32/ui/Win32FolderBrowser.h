#pragma once

#include "host/UserInterface.h"

namespace win32ui {

// The system's folder browser (SHBrowseForFolderW), file-system folders
// only, rooted at the computer or the desktop, with a status line when
// asked; its window reaches the events through the browser's callback.
class Win32FolderBrowser final : public host::FolderBrowser {
public:
    std::optional<std::u16string> Browse(const host::FolderBrowseRequest& request,
                                         host::FolderBrowserEvents& events) override;
};

}  // namespace win32ui
