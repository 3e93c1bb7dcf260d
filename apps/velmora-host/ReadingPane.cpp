#include "ReadingPane.h"

#include <QVBoxLayout>

#include "ItemTable.h"
#include "host/HostError.h"
#include "qt/Strings.h"

namespace velmora::desktop {

ReadingPane::ReadingPane(AttachmentOpener& opener, QWidget* parent)
    : QWidget(parent),
      opener_(opener),
      subject_(new QLabel(this)),
      fields_(new QLabel(this)),
      attachments_(new QListWidget(this)),
      body_(new SafeBrowser(this)) {
    subject_->setObjectName("subject");
    fields_->setObjectName("fields");
    attachments_->setObjectName("attachments");
    body_->setObjectName("body");
    QFont bold = subject_->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    subject_->setFont(bold);
    subject_->setTextFormat(Qt::PlainText);
    fields_->setTextFormat(Qt::PlainText);
    subject_->setWordWrap(true);
    attachments_->setFlow(QListView::LeftToRight);
    attachments_->setWrapping(true);
    attachments_->setMaximumHeight(64);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(subject_);
    layout->addWidget(fields_);
    layout->addWidget(attachments_);
    layout->addWidget(body_, 1);
    connect(attachments_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { Open(attachments_->row(item)); });
    Clear();
}

void ReadingPane::Clear() {
    body_->SetMessage(nullptr);
    preview_.reset();
    subject_->clear();
    fields_->clear();
    attachments_->clear();
    attachments_->hide();
    body_->ShowText({});
}

void ReadingPane::Show(const std::filesystem::path& file) {
    Clear();
    try {
        preview_ = std::make_unique<mailstore::MessagePreview>(file);
    } catch (const host::HostError& error) {
        subject_->setText(tr("This message cannot be read."));
        body_->ShowText(qtui::ToQt(error.Message()));
        return;
    }
    subject_->setText(qtui::ToQt(preview_->Subject()));
    QString fields = tr("From: %1\nTo: %2").arg(qtui::ToQt(preview_->From()), qtui::ToQt(preview_->To()));
    if (!preview_->Cc().empty()) fields += tr("\nCc: %1").arg(qtui::ToQt(preview_->Cc()));
    fields += tr("\nDate: %1").arg(qtui::ToQt(preview_->Date()));
    fields_->setText(fields);
    for (const mailstore::PreviewAttachment& attachment : preview_->Attachments()) {
        const QString name = qtui::ToQt(attachment.Name);
        auto* item = new QListWidgetItem(attachments_);
        if (attachment.Link) {
            item->setText(tr("%1 (link)").arg(name));
            item->setToolTip(tr("A link to %1").arg(qtui::ToQt(attachment.LinkedPath)));
            QFont italic = item->font();
            italic.setItalic(true);
            item->setFont(italic);
        } else {
            item->setText(tr("%1 (%2)").arg(name, ItemTable::SizeText(attachment.Size)));
        }
    }
    attachments_->setVisible(attachments_->count() > 0);
    body_->SetMessage(preview_.get());
    if (const auto html = preview_->Html()) {
        body_->ShowHtml(QString::fromStdString(*html));
    } else {
        body_->ShowText(qtui::ToQt(preview_->Text()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }
}

void ReadingPane::Open(int row) {
    if (!preview_ || row < 0) return;
    const QString failure = opener_.OpenAttachment(*preview_, static_cast<std::size_t>(row));
    if (!failure.isEmpty()) emit problem(failure);
}

}  // namespace velmora::desktop
