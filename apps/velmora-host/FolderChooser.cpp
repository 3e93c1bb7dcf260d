#include "FolderChooser.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "FolderTree.h"

namespace velmora::desktop {

FolderChooser::FolderChooser(const mailstore::FolderNode& root, const std::filesystem::path& current,
                             QWidget* parent)
    : QDialog(parent), tree_(new QTreeWidget(this)) {
    setObjectName("FolderChooser");
    setWindowTitle(tr("Select Folder"));
    tree_->setObjectName("folders");
    tree_->setHeaderHidden(true);
    FillFolderTree(*tree_, root);
    if (QTreeWidgetItem* item = FolderItem(*tree_, current)) tree_->setCurrentItem(item);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(tree_, &QTreeWidget::itemActivated, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Choose the folder to work on:"), this));
    layout->addWidget(tree_);
    layout->addWidget(buttons);
    resize(360, 420);
}

std::optional<std::filesystem::path> FolderChooser::Choose() {
    if (exec() != QDialog::Accepted || tree_->currentItem() == nullptr) return std::nullopt;
    return DirectoryOf(*tree_->currentItem());
}

}  // namespace velmora::desktop
