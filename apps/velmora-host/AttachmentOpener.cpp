#include "AttachmentOpener.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include "host/HostError.h"
#include "qt/Strings.h"

namespace velmora::desktop {

namespace {

// Launchers, scripts, programs, installers and shortcuts.
const QStringList kRunnableExtensions = {
    "appimage", "bash", "bat", "bin", "cmd", "com", "cpl", "csh", "deb", "desktop", "exe", "hta", "jar",
    "js", "jse", "ksh", "lnk", "msi", "msp", "pif", "pl", "ps1", "py", "rb", "reg", "rpm", "run",
    "scr", "sh", "so", "url", "vbe", "vbs", "ws", "wsf", "wsh", "zsh",
};

QString Tr(const char* text) { return QCoreApplication::translate("AttachmentOpener", text); }

}  // namespace

QString AttachmentOpener::SafeFileName(const QString& name) {
    QString cleaned = name.mid(std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\')) + 1);
    for (QChar& c : cleaned) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format) c = u'_';
    }
    while (cleaned.startsWith(u'.')) cleaned.remove(0, 1);
    cleaned = cleaned.trimmed();
    return cleaned.isEmpty() ? QStringLiteral("attachment") : cleaned;
}

bool AttachmentOpener::MayOpen(const QString& fileName) {
    const QString extension = QFileInfo(fileName).suffix().toLower();
    return !kRunnableExtensions.contains(extension);
}

QString AttachmentOpener::OpenAttachment(const mailstore::MessagePreview& preview, std::size_t index) {
    const mailstore::PreviewAttachment& attachment = preview.Attachments().at(index);
    if (attachment.Link) return OpenLinkedFile(attachment);
    const QString name = SafeFileName(qtui::ToQt(attachment.Name));
    if (!MayOpen(name)) return Tr("%1 could be a program; it is not opened.").arg(name);
    if (!directory_.isValid()) return Tr("There is no directory to put the attachment in.");
    // A directory of its own for every file, so that equal names never meet.
    const QString folder = directory_.filePath(QString::number(++opened_));
    if (!QDir().mkdir(folder)) return Tr("There is no directory to put the attachment in.");
    const QString path = QDir(folder).filePath(name);
    try {
        preview.SaveAttachment(index, QFile::encodeName(path).toStdString());
    } catch (const host::HostError& error) {
        return qtui::ToQt(error.Message());
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path)) ? QString()
                                                                 : Tr("No program opens %1.").arg(name);
}

QString AttachmentOpener::LinkedNativePath(const mailstore::PreviewAttachment& link) const {
    if (link.LinkedPath.empty()) return {};
    if (link.LinkedPath.front() == u'/') return qtui::ToQt(link.LinkedPath);
    const auto native = files_.ToNative(link.LinkedPath);
    return native ? QString::fromStdString(native->string()) : QString();
}

QString AttachmentOpener::OpenLinkedFile(const mailstore::PreviewAttachment& link) {
    const QString path = LinkedNativePath(link);
    struct stat info {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return Tr("The linked file %1 is not there.").arg(qtui::ToQt(link.LinkedPath));
    }
    if ((info.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0 || !MayOpen(path)) {
        return Tr("%1 could be a program; it is not opened.").arg(path);
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path)) ? QString() : Tr("No program opens %1.").arg(path);
}

}  // namespace velmora::desktop
