#pragma once

// The folder picker: lets the user choose a file-system directory in the
// platform's folder browser. Paths stay UTF-16 Windows paths throughout.

#include <cstdint>
#include <functional>
#include <string>

#include "host/UserInterface.h"

namespace velmora {

enum TRootItem : std::uint8_t {
    riMyComputer = 0,  // the computer's drives
    riDesktop = 1,
};

class TPathDialog final : private host::FolderBrowserEvents {
public:
    using TNotifyEvent = std::function<void(TPathDialog& sender)>;
    using TSelectEvent = std::function<void(TPathDialog& sender, const std::u16string& path)>;

    TPathDialog() = default;
    TPathDialog(const TPathDialog&) = delete;
    TPathDialog& operator=(const TPathDialog&) = delete;

    // Runs the browser modally. True when the user confirmed a directory
    // that has a file-system path, which is then in Directory; false when
    // cancelled, when the item has no such path, or when the root is not
    // available. Directory is left as it was unless true.
    bool Execute();

    const std::u16string& Directory() const { return directory_; }
    // One final backslash is dropped; empty means the current directory.
    // While the browser is open, the directory is selected in it.
    void SetDirectory(const std::u16string& value);

    const std::u16string& StatusText() const { return statusText_; }
    // Shown at once while the browser is open with ShowStatus.
    void SetStatusText(const std::u16string& value);

    std::u16string Title;
    bool ShowStatus = false;
    TRootItem RootItem = riMyComputer;
    TNotifyEvent OnShow;
    TSelectEvent OnSelect;

private:
    void Opened(host::FolderBrowserWindow& window) override;
    void SelectionChanged(const std::u16string& directory) override;

    host::FolderBrowserWindow* browser_ = nullptr;  // while the browser is open
    std::u16string directory_;
    std::u16string statusText_;
};

}  // namespace velmora
