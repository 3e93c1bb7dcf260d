#pragma once

#include <QFileSystemWatcher>
#include <QMainWindow>
#include <QSortFilterProxyModel>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <filesystem>
#include <vector>

#include "CommandBarView.h"
#include "ItemTable.h"
#include "ReadingPane.h"
#include "mailstore/Mailbox.h"

namespace velmora::desktop {

// The explorer: the folder tree, the item list of the folder shown (several
// items selectable, sorted by any column) and the reading pane of the
// current item, with the command bars as tool bars and the item context
// menu. What the user shows and selects is what the mailbox's explorer
// reports to add-ins. The item list follows the folder on disk, so that
// messages an add-in rewrites show as they are now, still selected.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    MainWindow(mailstore::Mailbox& mailbox, AttachmentOpener& opener);

    // Lists the folders anew, keeping the one shown when it is still there.
    void RefreshFolders();
    // Lists the items of the folder shown anew, keeping the selection.
    void RefreshItems();
    // Shows that folder; false when it is no folder of the mailbox.
    bool ShowFolder(const std::filesystem::path& directory);
    // Selects the rows of those message files (others are left out).
    void SelectFiles(const std::vector<std::filesystem::path>& files);
    std::vector<std::filesystem::path> SelectedFiles() const;
    const std::filesystem::path& ShownFolder() const { return shown_; }

    CommandBarView& Bars() { return bars_; }
    ItemTable& Table() { return table_; }
    // The item context menu as the user gets it, made anew.
    void FillItemMenu(QMenu& menu);
    // From now on the close box closes the window itself.
    void SetLeaving(bool leaving) { leaving_ = leaving; }
    void ShowStatus(const QString& text);

signals:
    void newMessageRequested();
    void forwardRequested(const std::filesystem::path& file);
    void addInsRequested();
    // The close box or File > Exit: the host decides when to close.
    void closeRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void Watch(const std::filesystem::path& directory);
    void SelectionChanged();

    mailstore::Mailbox& mailbox_;
    QTreeWidget* folders_;
    QTreeView* items_;
    ItemTable table_;
    QSortFilterProxyModel sorted_;
    ReadingPane* reading_;
    CommandBarView bars_;
    QFileSystemWatcher watcher_;
    QTimer changedOnDisk_;
    std::filesystem::path shown_;
    std::filesystem::path current_;  // in the reading pane
    bool leaving_ = false;
};

}  // namespace velmora::desktop
