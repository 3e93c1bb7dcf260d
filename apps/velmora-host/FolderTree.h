#pragma once

#include <QTreeWidget>
#include <filesystem>

#include "mailstore/Mailbox.h"

namespace velmora::desktop {

// The mailbox's folders as a tree widget shows them: one item per folder,
// holding its directory.
void FillFolderTree(QTreeWidget& tree, const mailstore::FolderNode& root);
std::filesystem::path DirectoryOf(const QTreeWidgetItem& item);
// The item of that directory; null when the tree has none.
QTreeWidgetItem* FolderItem(QTreeWidget& tree, const std::filesystem::path& directory);

}  // namespace velmora::desktop
