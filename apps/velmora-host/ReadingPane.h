#pragma once

#include <QLabel>
#include <QListWidget>
#include <QWidget>
#include <filesystem>
#include <memory>

#include "AttachmentOpener.h"
#include "SafeBrowser.h"
#include "mailstore/MessagePreview.h"

namespace velmora::desktop {

// The current item: its header fields, its attachments (links marked as
// such, with the path they lead to) and its body, as HTML when it has one.
// Double-clicking an attachment opens it, or the file a link leads to.
class ReadingPane : public QWidget {
    Q_OBJECT

public:
    ReadingPane(AttachmentOpener& opener, QWidget* parent = nullptr);

    // Shows that message file; an unreadable one says why.
    void Show(const std::filesystem::path& file);
    void Clear();

signals:
    // Something the user asked for could not be done.
    void problem(const QString& text);

private:
    void Open(int row);

    AttachmentOpener& opener_;
    QLabel* subject_;
    QLabel* fields_;
    QListWidget* attachments_;
    SafeBrowser* body_;
    std::unique_ptr<mailstore::MessagePreview> preview_;
};

}  // namespace velmora::desktop
