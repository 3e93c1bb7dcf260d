#pragma once

#include <QString>
#include <QTextBrowser>
#include <QUrl>

namespace qtui {

// A rich text view that never follows a link itself: a click on a link
// reports the link's text as a rich text document holds it. A link whose
// visible text is its own address is a plain address and reports that
// address; any other link is a hyperlink field and reports its instruction,
// HYPERLINK "address".
class LinkBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit LinkBrowser(QWidget* parent);

    // The visible text of the first link to that address; empty when none.
    QString AnchorText(const QUrl& address) const;
    static QString LinkText(const QString& address, const QString& visibleText);

signals:
    void linkClicked(const QString& linkText);
};

}  // namespace qtui
