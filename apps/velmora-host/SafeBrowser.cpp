#include "SafeBrowser.h"

#include <QDesktopServices>
#include <QImage>
#include <QTextDocument>

namespace velmora::desktop {

SafeBrowser::SafeBrowser(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, [](const QUrl& url) {
        const QString scheme = url.scheme().toLower();
        if (scheme == "http" || scheme == "https" || scheme == "mailto") QDesktopServices::openUrl(url);
    });
}

void SafeBrowser::ShowHtml(const QString& html) {
    requested_.clear();
    // A fresh document: the old one caches what it loaded.
    document()->clear();
    setHtml(html);
}

void SafeBrowser::ShowText(const QString& text) {
    requested_.clear();
    document()->clear();
    setPlainText(text);
}

QVariant SafeBrowser::loadResource(int type, const QUrl& name) {
    requested_.append(name);
    const bool ownPicture = type == QTextDocument::ImageResource && message_ != nullptr &&
                            name.scheme().compare("cid", Qt::CaseInsensitive) == 0;
    if (!ownPicture) return {};
    const auto content = message_->ContentById(name.path().toStdString(), kMaxPictureBytes);
    if (!content) return {};
    const QImage picture = QImage::fromData(reinterpret_cast<const uchar*>(content->data()),
                                            static_cast<int>(content->size()));
    return picture.isNull() ? QVariant() : QVariant(picture);
}

}  // namespace velmora::desktop
