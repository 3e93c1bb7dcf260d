#pragma once

#include <QTextBrowser>

#include "mailstore/MessagePreview.h"

namespace velmora::desktop {

// Shows a message body. HTML is shown without anything from outside the
// message: every resource it names (pictures, style sheets, whatever the
// scheme) is refused, except a picture of the message's own, named by
// "cid:". Clicking a link opens only web and mail addresses, with the
// desktop's handler; nothing else is followed.
class SafeBrowser : public QTextBrowser {
    Q_OBJECT

public:
    // The largest picture of a message that is shown.
    static constexpr std::size_t kMaxPictureBytes = 8 * 1024 * 1024;

    explicit SafeBrowser(QWidget* parent = nullptr);

    // The message whose pictures "cid:" names; null for none. Set it before the body.
    void SetMessage(const mailstore::MessagePreview* message) { message_ = message; }
    // The addresses of every resource asked for since the body was set.
    const QList<QUrl>& Requested() const { return requested_; }
    void ShowHtml(const QString& html);
    void ShowText(const QString& text);

    QVariant loadResource(int type, const QUrl& name) override;

private:
    const mailstore::MessagePreview* message_ = nullptr;
    QList<QUrl> requested_;
};

}  // namespace velmora::desktop
