#pragma once

#include <QDesktopServices>
#include <QObject>
#include <QStringList>
#include <QUrl>

namespace qt_test {

// Takes the desktop's "open" for some URL schemes while it lives and
// records the addresses instead of starting a browser.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    explicit UrlRecorder(QStringList schemes) : schemes_(std::move(schemes)) {
        for (const QString& scheme : schemes_) QDesktopServices::setUrlHandler(scheme, this, "Open");
    }
    ~UrlRecorder() override {
        for (const QString& scheme : schemes_) QDesktopServices::unsetUrlHandler(scheme);
    }

    QList<QUrl> opened;

public slots:
    void Open(const QUrl& url) { opened.append(url); }

private:
    QStringList schemes_;
};

}  // namespace qt_test
