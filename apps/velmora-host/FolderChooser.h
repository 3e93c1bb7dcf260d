#pragma once

#include <QDialog>
#include <QTreeWidget>
#include <filesystem>
#include <optional>

#include "mailstore/Mailbox.h"

namespace velmora::desktop {

// The host's "Select Folder" dialog, which the namespace's PickFolder shows:
// the mailbox's folders, the one shown in the main window selected.
class FolderChooser : public QDialog {
    Q_OBJECT

public:
    FolderChooser(const mailstore::FolderNode& root, const std::filesystem::path& current, QWidget* parent);

    // Modal; the chosen folder's directory, none when cancelled.
    std::optional<std::filesystem::path> Choose();

private:
    QTreeWidget* tree_;
};

}  // namespace velmora::desktop
