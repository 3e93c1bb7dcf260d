#include "ComposeWindow.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "host/HostError.h"
#include "qt/Strings.h"

namespace velmora::desktop {

namespace {

QString WithLineFeeds(const std::u16string& text) {
    return qtui::ToQt(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

std::u16string WithCrLf(const QString& text) {
    QString crlf = text;
    return qtui::FromQt(crlf.replace(QStringLiteral("\n"), QStringLiteral("\r\n")));
}

}  // namespace

ComposeWindow::ComposeWindow(std::unique_ptr<mailstore::Draft> draft, const posix::WindowsFileSystem& files)
    : draft_(std::move(draft)),
      files_(files),
      to_(new QLineEdit(this)),
      cc_(new QLineEdit(this)),
      subject_(new QLineEdit(this)),
      body_(new QPlainTextEdit(this)),
      attachments_(new QListWidget(this)),
      send_(new QPushButton(tr("&Send"), this)),
      status_(new QLabel(this)) {
    setObjectName("ComposeWindow");
    setAttribute(Qt::WA_DeleteOnClose);
    to_->setObjectName("to");
    cc_->setObjectName("cc");
    subject_->setObjectName("subject");
    body_->setObjectName("body");
    attachments_->setObjectName("attachments");
    send_->setObjectName("send");
    status_->setObjectName("status");
    status_->setTextFormat(Qt::PlainText);
    attachments_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    attachments_->setMaximumHeight(90);

    auto* save = new QPushButton(tr("Save &Draft"), this);
    auto* attach = new QPushButton(tr("&Attach File..."), this);
    auto* remove = new QPushButton(tr("&Remove Attachment"), this);
    save->setObjectName("save");
    attach->setObjectName("attach");
    remove->setObjectName("remove");
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {send_, save, attach, remove}) buttons->addWidget(button);
    buttons->addStretch();
    auto* fields = new QFormLayout;
    fields->addRow(tr("&To:"), to_);
    fields->addRow(tr("&Cc:"), cc_);
    fields->addRow(tr("Su&bject:"), subject_);
    fields->addRow(tr("Attachments:"), attachments_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addLayout(fields);
    layout->addWidget(body_, 1);
    layout->addWidget(status_);

    connect(send_, &QPushButton::clicked, this, [this] { emit sendRequested(this); });
    connect(save, &QPushButton::clicked, this, &ComposeWindow::SaveDraft);
    connect(attach, &QPushButton::clicked, this, [this] {
        QFileDialog dialog(this, tr("Attach File"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setFileMode(QFileDialog::ExistingFiles);
        if (dialog.exec() != QDialog::Accepted) return;
        for (const QString& file : dialog.selectedFiles()) AttachFile(file);
    });
    connect(remove, &QPushButton::clicked, this, &ComposeWindow::RemoveSelected);
    for (QLineEdit* field : {to_, cc_, subject_}) {
        connect(field, &QLineEdit::textEdited, this, [this] { modified_ = true; });
    }
    connect(body_, &QPlainTextEdit::textChanged, this, [this] { modified_ = true; });
    resize(720, 560);
    Reload();
}

ComposeWindow::~ComposeWindow() = default;

void ComposeWindow::Reload() {
    to_->setText(qtui::ToQt(draft_->To()));
    cc_->setText(qtui::ToQt(draft_->Cc()));
    subject_->setText(qtui::ToQt(draft_->Subject()));
    body_->setPlainText(WithLineFeeds(draft_->Body()));
    setWindowTitle(subject_->text().isEmpty() ? tr("Untitled - Message") : tr("%1 - Message").arg(subject_->text()));
    ListAttachments();
    modified_ = false;
}

void ComposeWindow::ListAttachments() {
    attachments_->clear();
    auto attachments = draft_->Attachments();
    for (std::int32_t i = 1; i <= attachments->Count(); ++i) {
        auto attachment = attachments->Item(i);
        const QString name = qtui::ToQt(attachment->DisplayName());
        if (attachment->Type() == Outlook::olByReference) {
            auto* item = new QListWidgetItem(tr("%1 (link)").arg(name), attachments_);
            item->setToolTip(tr("A link to %1").arg(qtui::ToQt(attachment->PathName())));
        } else {
            new QListWidgetItem(name, attachments_);
        }
    }
}

void ComposeWindow::Apply() {
    draft_->SetTo(qtui::FromQt(to_->text()));
    draft_->SetCc(qtui::FromQt(cc_->text()));
    draft_->SetSubject(qtui::FromQt(subject_->text()));
    draft_->SetBody(WithCrLf(body_->toPlainText()));
}

bool ComposeWindow::AttachFile(const QString& nativePath) {
    const auto windowsPath = files_.FromNative(QFile::encodeName(nativePath).toStdString());
    try {
        if (!windowsPath) throw host::HostError(E_INVALIDARG, qtui::FromQt(tr("%1 lies on no drive.").arg(nativePath)));
        draft_->Attachments()->Add(*windowsPath, Outlook::olByValue, 0,
                                   qtui::FromQt(QFileInfo(nativePath).fileName()));
    } catch (const host::HostError& error) {
        ShowStatus(qtui::ToQt(error.Message()));
        return false;
    }
    modified_ = true;
    ListAttachments();
    return true;
}

void ComposeWindow::RemoveSelected() {
    QList<int> rows;
    for (QListWidgetItem* item : attachments_->selectedItems()) rows.append(attachments_->row(item));
    std::sort(rows.begin(), rows.end(), std::greater<>());
    try {
        for (int row : rows) draft_->Attachments()->Remove(row + 1);
    } catch (const host::HostError& error) {
        ShowStatus(qtui::ToQt(error.Message()));
    }
    modified_ = modified_ || !rows.isEmpty();
    ListAttachments();
}

void ComposeWindow::SaveDraft() {
    try {
        Apply();
        draft_->Save();
        modified_ = false;
        ShowStatus(tr("Saved in Drafts."));
    } catch (const host::HostError& error) {
        ShowStatus(qtui::ToQt(error.Message()));
    }
    emit draftChanged();
}

void ComposeWindow::ShowStatus(const QString& text) { status_->setText(text); }

bool ComposeWindow::Empty() const {
    return to_->text().isEmpty() && cc_->text().isEmpty() && subject_->text().isEmpty() &&
           body_->toPlainText().isEmpty() && attachments_->count() == 0;
}

void ComposeWindow::closeEvent(QCloseEvent* event) {
    if (!sent_) {
        if (Empty()) {
            draft_->Discard();
            emit draftChanged();
        } else if (modified_) {
            SaveDraft();
        }
    }
    event->accept();
}

}  // namespace velmora::desktop
