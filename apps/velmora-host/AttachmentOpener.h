#pragma once

#include <QString>
#include <QTemporaryDir>
#include <cstddef>

#include "mailstore/MessagePreview.h"
#include "posix/system/WindowsFileSystem.h"

namespace velmora::desktop {

// Opens an attachment or a linked file with the desktop's default program.
// Names and paths come from messages, that is from strangers: an
// attachment is written under a cleaned name into a directory of this run
// that only the user may read, and nothing opens that a desktop would run
// as a program.
class AttachmentOpener {
public:
    explicit AttachmentOpener(const posix::WindowsFileSystem& files) : files_(files) {}

    // Each returns what went wrong, in words for the user; empty when the
    // file was handed to the desktop.
    QString OpenAttachment(const mailstore::MessagePreview& preview, std::size_t index);
    QString OpenLinkedFile(const mailstore::PreviewAttachment& link);

    // The file a link names, as a native path; empty when it lies on no drive.
    QString LinkedNativePath(const mailstore::PreviewAttachment& link) const;
    // The last component of the name, without control characters and
    // leading dots; "attachment" when nothing is left.
    static QString SafeFileName(const QString& name);
    // False for types that the desktop starts as programs or installs.
    static bool MayOpen(const QString& fileName);

private:
    const posix::WindowsFileSystem& files_;
    QTemporaryDir directory_;
    int opened_ = 0;
};

}  // namespace velmora::desktop
