#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>
#include <memory>

#include "mailstore/Draft.h"
#include "posix/system/WindowsFileSystem.h"

namespace velmora::desktop {

// A message being written: recipients, subject, plain-text body and
// attachments (a forward's links among them, marked). Send hands it to the
// host (sendRequested); closing the window keeps what was written as a
// draft, and gives up a draft that holds nothing.
class ComposeWindow : public QWidget {
    Q_OBJECT

public:
    ComposeWindow(std::unique_ptr<mailstore::Draft> draft, const posix::WindowsFileSystem& files);
    ~ComposeWindow() override;

    mailstore::Draft& Message() { return *draft_; }
    // Puts what the fields hold into the draft.
    void Apply();
    // Shows the draft as it is now, as after a send that a handler stopped
    // and may have changed.
    void Reload();
    // A copy of the native file becomes an attachment; false (with the
    // reason shown) when it cannot.
    bool AttachFile(const QString& nativePath);
    // The message went: closing keeps nothing more.
    void MarkSent() { sent_ = true; }
    void ShowStatus(const QString& text);

    QLineEdit& To() { return *to_; }
    QLineEdit& Subject() { return *subject_; }
    QPlainTextEdit& Body() { return *body_; }
    QListWidget& Attachments() { return *attachments_; }
    QPushButton& SendButton() { return *send_; }

signals:
    void sendRequested(ComposeWindow* window);
    // The draft's file was written or given up.
    void draftChanged();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ListAttachments();
    void RemoveSelected();
    void SaveDraft();
    bool Empty() const;

    std::unique_ptr<mailstore::Draft> draft_;
    const posix::WindowsFileSystem& files_;
    QLineEdit* to_;
    QLineEdit* cc_;
    QLineEdit* subject_;
    QPlainTextEdit* body_;
    QListWidget* attachments_;
    QPushButton* send_;
    QLabel* status_;
    bool modified_ = false;
    bool sent_ = false;
};

}  // namespace velmora::desktop
