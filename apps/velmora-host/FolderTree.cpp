#include "FolderTree.h"

#include <QFile>
#include <QTreeWidgetItemIterator>

#include "qt/Strings.h"

namespace velmora::desktop {

namespace {

constexpr int kDirectoryRole = Qt::UserRole;

void AddChildren(QTreeWidgetItem& item, const mailstore::FolderNode& folder) {
    for (const mailstore::FolderNode& child : folder.Children) {
        auto* childItem = new QTreeWidgetItem(&item, {qtui::ToQt(child.Name)});
        childItem->setData(0, kDirectoryRole, QFile::decodeName(child.Directory.c_str()));
        AddChildren(*childItem, child);
    }
}

}  // namespace

void FillFolderTree(QTreeWidget& tree, const mailstore::FolderNode& root) {
    tree.clear();
    auto* rootItem = new QTreeWidgetItem(&tree, {qtui::ToQt(root.Name)});
    rootItem->setData(0, kDirectoryRole, QFile::decodeName(root.Directory.c_str()));
    AddChildren(*rootItem, root);
    tree.expandAll();
}

std::filesystem::path DirectoryOf(const QTreeWidgetItem& item) {
    return std::filesystem::path(QFile::encodeName(item.data(0, kDirectoryRole).toString()).toStdString());
}

QTreeWidgetItem* FolderItem(QTreeWidget& tree, const std::filesystem::path& directory) {
    for (QTreeWidgetItemIterator it(&tree); *it != nullptr; ++it) {
        if (DirectoryOf(**it) == directory) return *it;
    }
    return nullptr;
}

}  // namespace velmora::desktop
