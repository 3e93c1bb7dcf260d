#include "MainWindow.h"

#include <QCloseEvent>
#include <QFile>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <set>

#include "FolderTree.h"
#include "host/HostError.h"
#include "mailstore/MessageSummary.h"
#include "qt/Strings.h"

namespace velmora::desktop {

namespace fs = std::filesystem;

namespace {

// Writers touch a folder in bursts; one listing after the burst is enough.
constexpr int kSettleMs = 300;

QString Native(const fs::path& path) { return QFile::decodeName(path.c_str()); }

}  // namespace

MainWindow::MainWindow(mailstore::Mailbox& mailbox, AttachmentOpener& opener)
    : mailbox_(mailbox),
      folders_(new QTreeWidget(this)),
      items_(new QTreeView(this)),
      reading_(new ReadingPane(opener, this)),
      bars_(*this, mailbox.CommandBars()) {
    setObjectName("MainWindow");
    setWindowTitle(tr("%1 - Velmora Host").arg(qtui::ToQt(mailbox.FolderTree().Name)));
    folders_->setObjectName("folders");
    items_->setObjectName("items");
    reading_->setObjectName("reading");
    folders_->setHeaderHidden(true);

    sorted_.setSourceModel(&table_);
    sorted_.setSortRole(ItemTable::SortRole);
    items_->setModel(&sorted_);
    items_->setRootIsDecorated(false);
    items_->setUniformRowHeights(true);
    items_->setSortingEnabled(true);
    items_->sortByColumn(ItemTable::Received, Qt::DescendingOrder);
    items_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    items_->setSelectionBehavior(QAbstractItemView::SelectRows);
    items_->setContextMenuPolicy(Qt::CustomContextMenu);
    items_->header()->resizeSection(ItemTable::Subject, 300);
    items_->header()->resizeSection(ItemTable::From, 200);
    items_->header()->resizeSection(ItemTable::Received, 150);

    auto* right = new QSplitter(Qt::Vertical, this);
    right->addWidget(items_);
    right->addWidget(reading_);
    right->setStretchFactor(1, 1);
    right->setSizes({320, 440});
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(folders_);
    split->addWidget(right);
    split->setStretchFactor(1, 1);
    split->setSizes({240, 900});
    setCentralWidget(split);
    BuildMenus();

    connect(folders_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item != nullptr && DirectoryOf(*item) != shown_) ShowFolder(DirectoryOf(*item));
    });
    connect(items_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &MainWindow::SelectionChanged);
    connect(items_->selectionModel(), &QItemSelectionModel::currentChanged, this, &MainWindow::SelectionChanged);
    connect(items_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        FillItemMenu(menu);
        if (!menu.isEmpty()) menu.exec(items_->viewport()->mapToGlobal(at));
    });
    connect(reading_, &ReadingPane::problem, this, &MainWindow::ShowStatus);
    connect(&bars_, &CommandBarView::clicked, this, [this] { bars_.Refresh(); });

    changedOnDisk_.setSingleShot(true);
    changedOnDisk_.setInterval(kSettleMs);
    connect(&changedOnDisk_, &QTimer::timeout, this, &MainWindow::RefreshItems);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { changedOnDisk_.start(); });

    RefreshFolders();
    resize(1200, 760);
}

void MainWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    QAction* newMessage = file->addAction(tr("&New Message"), this, &MainWindow::newMessageRequested);
    newMessage->setObjectName("newMessage");
    newMessage->setShortcut(QKeySequence::New);
    QAction* forward = file->addAction(tr("&Forward"), this, [this] {
        const auto files = SelectedFiles();
        if (files.size() == 1) emit forwardRequested(files.front());
    });
    forward->setObjectName("forward");
    forward->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    file->addSeparator();
    QAction* exit = file->addAction(tr("E&xit"), this, &MainWindow::closeRequested);
    exit->setObjectName("exit");
    QMenu* tools = menuBar()->addMenu(tr("&Tools"));
    tools->addAction(tr("&Add-ins..."), this, &MainWindow::addInsRequested)->setObjectName("addIns");

    QToolBar* mail = addToolBar(tr("Mail"));
    mail->setObjectName("Mail");
    mail->addAction(newMessage);
    mail->addAction(forward);
}

void MainWindow::FillItemMenu(QMenu& menu) {
    if (SelectedFiles().size() == 1) {
        menu.addAction(tr("&Forward"), this, [this] { emit forwardRequested(SelectedFiles().front()); });
    }
    bars_.FillContextMenu(menu);
}

void MainWindow::RefreshFolders() {
    const fs::path keep = shown_.empty() ? mailbox_.Root() : shown_;
    const QSignalBlocker quiet(folders_);
    FillFolderTree(*folders_, mailbox_.FolderTree());
    QTreeWidgetItem* item = FolderItem(*folders_, keep);
    if (item == nullptr) item = folders_->topLevelItem(0);
    folders_->setCurrentItem(item);
    if (item != nullptr && DirectoryOf(*item) != shown_) ShowFolder(DirectoryOf(*item));
}

bool MainWindow::ShowFolder(const fs::path& directory) {
    try {
        mailbox_.ShowFolder(directory);
    } catch (const host::HostError& error) {
        ShowStatus(qtui::ToQt(error.Message()));
        return false;
    }
    shown_ = directory;
    if (QTreeWidgetItem* item = FolderItem(*folders_, directory); item != nullptr && folders_->currentItem() != item) {
        const QSignalBlocker quiet(folders_);
        folders_->setCurrentItem(item);
    }
    Watch(directory);
    table_.Reset(mailstore::SummarizeFolder(directory));
    current_.clear();
    reading_->Clear();
    mailbox_.Select({});
    ShowStatus(tr("%n item(s)", nullptr, static_cast<int>(table_.Rows().size())));
    return true;
}

void MainWindow::Watch(const fs::path& directory) {
    if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
    watcher_.addPaths({Native(directory / "cur"), Native(directory / "new")});
}

void MainWindow::RefreshItems() {
    if (shown_.empty()) return;
    std::set<fs::path> files;
    std::set<std::u16string> ids;
    for (const auto& file : SelectedFiles()) files.insert(file);
    for (const auto& row : table_.Rows()) {
        if (files.count(row.File) != 0 && !row.MessageId.empty()) ids.insert(row.MessageId);
    }
    table_.Reset(mailstore::SummarizeFolder(shown_));
    // A message rewritten under a new name is still the one selected.
    std::vector<fs::path> again;
    for (const auto& row : table_.Rows()) {
        if (files.count(row.File) != 0 || (!row.MessageId.empty() && ids.count(row.MessageId) != 0)) {
            again.push_back(row.File);
        }
    }
    SelectFiles(again);
    SelectionChanged();
}

void MainWindow::SelectFiles(const std::vector<fs::path>& files) {
    const std::set<fs::path> wanted(files.begin(), files.end());
    QItemSelection selection;
    QModelIndex first;
    for (int row = 0; row < table_.rowCount(); ++row) {
        if (wanted.count(table_.Row(row).File) == 0) continue;
        const QModelIndex index = sorted_.mapFromSource(table_.index(row, 0));
        selection.select(index, index);
        if (!first.isValid() || index.row() < first.row()) first = index;
    }
    QItemSelectionModel* model = items_->selectionModel();
    model->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (first.isValid()) model->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
}

std::vector<fs::path> MainWindow::SelectedFiles() const {
    std::vector<std::pair<int, fs::path>> rows;
    for (const QModelIndex& index : items_->selectionModel()->selectedRows()) {
        rows.emplace_back(index.row(), table_.Row(sorted_.mapToSource(index).row()).File);
    }
    std::sort(rows.begin(), rows.end());
    std::vector<fs::path> files;
    for (auto& [row, file] : rows) files.push_back(std::move(file));
    return files;
}

void MainWindow::SelectionChanged() {
    const auto files = SelectedFiles();
    mailbox_.Select(files);
    const QModelIndex current = items_->selectionModel()->currentIndex();
    fs::path file;
    if (current.isValid() && items_->selectionModel()->isRowSelected(current.row(), current.parent())) {
        file = table_.Row(sorted_.mapToSource(current).row()).File;
    } else if (!files.empty()) {
        file = files.front();
    }
    if (file == current_) return;
    current_ = file;
    if (file.empty()) {
        reading_->Clear();
    } else {
        reading_->Show(file);
    }
}

void MainWindow::ShowStatus(const QString& text) { statusBar()->showMessage(text); }

void MainWindow::closeEvent(QCloseEvent* event) {
    if (leaving_) {
        event->accept();
        return;
    }
    event->ignore();
    emit closeRequested();
}

}  // namespace velmora::desktop
