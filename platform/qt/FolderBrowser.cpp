#include "FolderBrowser.h"

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include "EventGuard.h"
#include "Strings.h"

namespace qtui {

namespace {

QString NativeText(const std::filesystem::path& path) {
    return QString::fromStdU16String(path.u16string());
}

std::filesystem::path NativePath(const QString& text) {
    return std::filesystem::path(text.toStdU16String());
}

// The open dialog as the window logic sees it.
class BrowserWindow final : public host::FolderBrowserWindow {
public:
    BrowserWindow(QFileDialog& dialog, QLabel* status, const posix::WindowsFileSystem& fileSystem)
        : dialog_(dialog), status_(status), fileSystem_(fileSystem) {}

    void Select(const std::u16string& directory) override {
        const auto native = fileSystem_.ToNative(directory);
        if (native && std::filesystem::is_directory(*native)) dialog_.setDirectory(NativeText(*native));
    }

    void SetStatusText(const std::u16string& text) override {
        if (status_ != nullptr) status_->setText(ToQt(text));
    }

private:
    QFileDialog& dialog_;
    QLabel* status_;
    const posix::WindowsFileSystem& fileSystem_;
};

QLabel* AddStatusLine(QFileDialog& dialog) {
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (grid == nullptr) return nullptr;
    auto* status = new QLabel(&dialog);
    status->setObjectName("statusText");
    status->setTextFormat(Qt::PlainText);
    grid->addWidget(status, grid->rowCount(), 0, 1, -1);
    return status;
}

}  // namespace

std::vector<std::filesystem::path> QtFolderBrowser::Places(host::BrowseRoot root) const {
    std::vector<std::filesystem::path> places;
    if (root == host::BrowseRoot::Desktop) {
        const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        if (!desktop.isEmpty() && std::filesystem::is_directory(NativePath(desktop))) {
            places.push_back(NativePath(desktop));
        }
    }
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter) {
        const auto drive = fileSystem_.Drives().Root(letter);
        if (drive && std::filesystem::is_directory(*drive)) places.push_back(*drive);
    }
    return places;
}

std::optional<std::u16string> QtFolderBrowser::Browse(const host::FolderBrowseRequest& request,
                                                      host::FolderBrowserEvents& events) {
    const std::vector<std::filesystem::path> places = Places(request.Root);
    if (places.empty()) return std::nullopt;

    QFileDialog dialog(QApplication::activeWindow(), ToQt(request.Title));
    dialog.setObjectName("PathDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    QList<QUrl> sidebar;
    for (const auto& place : places) sidebar.append(QUrl::fromLocalFile(NativeText(place)));
    dialog.setSidebarUrls(sidebar);
    dialog.setDirectory(NativeText(places.front()));
    QLabel* status = request.ShowStatus ? AddStatusLine(dialog) : nullptr;

    BrowserWindow window(dialog, status, fileSystem_);
    const auto selectionChanged = [this, &events](const QString& path) {
        const auto directory = fileSystem_.FromNative(NativePath(path));
        CallEvent([&] { events.SelectionChanged(directory.value_or(std::u16string())); });
    };
    QObject::connect(&dialog, &QFileDialog::currentChanged, &dialog, selectionChanged);
    QObject::connect(&dialog, &QFileDialog::directoryEntered, &dialog, selectionChanged);
    QTimer::singleShot(0, &dialog, [&events, &window] { CallEvent([&] { events.Opened(window); }); });

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return fileSystem_.FromNative(NativePath(dialog.selectedFiles().constFirst()));
}

}  // namespace qtui
