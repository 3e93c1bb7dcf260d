#include "LinkBrowser.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

namespace qtui {

LinkBrowser::LinkBrowser(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        emit linkClicked(LinkText(url.toString(), AnchorText(url)));
    });
}

QString LinkBrowser::AnchorText(const QUrl& address) const {
    QString text;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextFragment part = fragment.fragment();
            if (part.charFormat().isAnchor() && QUrl(part.charFormat().anchorHref()) == address) {
                text += part.text();
            } else if (!text.isEmpty()) {
                return text;
            }
        }
        if (!text.isEmpty()) return text;
    }
    return text;
}

QString LinkBrowser::LinkText(const QString& address, const QString& visibleText) {
    if (visibleText.trimmed() == address) return address;
    return QStringLiteral("HYPERLINK \"%1\"").arg(address);
}

}  // namespace qtui
