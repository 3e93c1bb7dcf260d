#include "DesktopServices.h"

#include <QBuffer>
#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QImage>
#include <QUrl>

#include "Strings.h"

namespace qtui {

namespace {

QClipboard& TheQtClipboard() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr) throw host::HostError(E_UNEXPECTED, u"No clipboard is available");
    return *clipboard;
}

}  // namespace

void QtClipboard::SetText(const std::u16string& text) {
    TheQtClipboard().setText(ToQt(text));
}

void QtClipboard::SetBitmap(const std::vector<std::uint8_t>& bmpFile) {
    QImage picture;
    if (!picture.loadFromData(bmpFile.data(), static_cast<int>(bmpFile.size()), "BMP")) {
        throw host::HostError(E_INVALIDARG, u"The picture is not a BMP file image");
    }
    TheQtClipboard().setImage(picture);
}

std::vector<std::uint8_t> QtClipboard::Bitmap() {
    const QImage picture = TheQtClipboard().image();
    if (picture.isNull()) return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "BMP")) return {};
    return {bytes.begin(), bytes.end()};
}

bool QtShell::Open(const std::u16string& address) {
    try {
        if (const auto native = fileSystem_.ToNative(address)) {
            return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdU16String(native->u16string())));
        }
        const QUrl url(ToQt(address), QUrl::StrictMode);
        return url.isValid() && !url.scheme().isEmpty() && QDesktopServices::openUrl(url);
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace qtui
