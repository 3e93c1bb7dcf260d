#include "WelcomeWindow.h"

#include <QFile>
#include <QFileInfo>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>

#include "Controls.h"
#include "Fonts.h"
#include "WindowPlacement.h"

namespace qtui {

namespace {

QFrame* MakeShape(QWidget* parent) {
    auto* shape = new QFrame(parent);
    shape->setObjectName("Shape1");
    shape->setGeometry(16, 16, 745, 409);
    shape->setFrameStyle(QFrame::Box | QFrame::Plain);
    shape->setLineWidth(1);
    QPalette palette = shape->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    shape->setPalette(palette);
    shape->setAutoFillBackground(true);
    return shape;
}

LinkBrowser* MakeBrowser(QWidget* parent) {
    auto* browser = new LinkBrowser(parent);
    browser->setObjectName("RichEdit1");
    browser->setGeometry(24, 24, 729, 393);
    browser->setFrameStyle(QFrame::NoFrame);
    browser->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return browser;
}

QWidget* WithWelcomeFont(QDialog* dialog) {
    dialog->setFont(WelcomeFont());
    return dialog;
}

// Every picture the document shows can be loaded.
bool PicturesLoad(QTextDocument& document) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat format = fragment.fragment().charFormat();
            if (!format.isImageFormat()) continue;
            const QVariant picture = document.resource(QTextDocument::ImageResource, format.toImageFormat().name());
            if (!picture.isValid()) return false;
        }
    }
    return true;
}

}  // namespace

const QString WelcomeWindow::DocumentPath = QStringLiteral(":/velmora/welcome/welcome.html");

WelcomeWindow::WelcomeWindow()
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                           Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      Shape1(MakeShape(WithWelcomeFont(this))),
      RichEdit1(MakeBrowser(this)),
      btnClose(MakeButton(this, "btnClose", "Close", {690, 440, 75, 25})) {
    setObjectName("frmWelcome");
    setWindowTitle("Welcome to Velmora");
    setFixedSize(ClientSize);
    btnClose->setDefault(true);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    setTabOrder(RichEdit1, btnClose);
}

bool WelcomeWindow::LoadDocument(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QString html = QString::fromUtf8(file.readAll());
    if (file.error() != QFileDevice::NoError) return false;
    RichEdit1->setSearchPaths({QFileInfo(path).absolutePath()});
    RichEdit1->setHtml(html);
    return PicturesLoad(*RichEdit1->document());
}

void WelcomeWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CenterOnScreen(*this);
}

}  // namespace qtui
