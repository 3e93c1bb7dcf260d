// The welcome document: its content, its pictures, and what a click on its
// links reports.

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include "QtTestSupport.h"
#include "qt/QtWelcomeView.h"

namespace qt_test {
namespace {

class RecordedLinks final : public host::WelcomeEvents {
public:
    void LinkClicked(const std::u16string& linkText) override { texts.push_back(linkText); }
    std::vector<std::u16string> texts;
};

// Where the text that a link shows starts, in the view's viewport.
QPoint LinkPosition(QTextBrowser& browser, const QString& visibleText) {
    const QTextCursor found = browser.document()->find(visibleText);
    EXPECT_FALSE(found.isNull()) << visibleText.toStdString();
    QTextCursor inside(browser.document());
    inside.setPosition(found.selectionStart() + 2);
    browser.setTextCursor(inside);
    browser.ensureCursorVisible();
    return browser.cursorRect(inside).center();
}

class WelcomeTest : public ::testing::Test {
protected:
    WelcomeTest() { view.LoadDocument(); }

    QString Text() const { return w.RichEdit1->toPlainText(); }

    RecordedLinks links;
    qtui::QtWelcomeView view{links};
    qtui::WelcomeWindow& w = view.Window();
};

TEST_F(WelcomeTest, DocumentHoldsTheThanksTheTipsAndTheClosingParagraph) {
    const QString text = Text();
    const QStringList inOrder = {"Thank you for using Velmora",
                                 "tips",
                                 "Replace by link attachment",
                                 "small arrow",
                                 ".pst",
                                 "Compact Now",
                                 "https://velmora.example.org/tips/performance",
                                 "Tips...",
                                 "free, for individuals and for companies",
                                 "making a donation"};
    qsizetype from = 0;
    for (const QString& part : inOrder) {
        const qsizetype at = text.indexOf(part, from);
        EXPECT_GE(at, 0) << "missing or out of order: " << part.toStdString();
        if (at >= 0) from = at;
    }
}

TEST_F(WelcomeTest, EveryPictureLoadsAndTheTipShowsOne) {
    int pictures = 0;
    for (QTextBlock block = w.RichEdit1->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isImageFormat()) continue;
            ++pictures;
            const QVariant image =
                w.RichEdit1->document()->resource(QTextDocument::ImageResource, format.toImageFormat().name());
            EXPECT_TRUE(image.isValid()) << format.toImageFormat().name().toStdString();
        }
    }
    EXPECT_EQ(pictures, 2);
}

TEST_F(WelcomeTest, ClicksOnLinksReportTheFieldOrThePlainAddress) {
    w.show();
    QTest::mouseClick(w.RichEdit1->viewport(), Qt::LeftButton, {}, LinkPosition(*w.RichEdit1, "making a donation"));
    QTest::mouseClick(w.RichEdit1->viewport(), Qt::LeftButton, {},
                      LinkPosition(*w.RichEdit1, "https://velmora.example.org/tips/performance"));
    QTest::mouseClick(w.RichEdit1->viewport(), Qt::RightButton, {}, LinkPosition(*w.RichEdit1, "making a donation"));
    EXPECT_EQ(links.texts, (std::vector<std::u16string>{u"HYPERLINK \"https://velmora.example.org/donate\"",
                                                        u"https://velmora.example.org/tips/performance"}));
}

TEST_F(WelcomeTest, EnterAndEscBothClose) {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        ModalAnswers answers;
        answers.Then([key](QWidget& window) { QTest::keyClick(&window, key); });
        view.ShowModal();
        EXPECT_FALSE(w.isVisible());
    }
}

TEST(WelcomeDocument, ADocumentThatCannotBeReadIsNotLoaded) {
    qtui::WelcomeWindow w;
    EXPECT_FALSE(w.LoadDocument(":/velmora/welcome/missing.html"));
    EXPECT_TRUE(w.LoadDocument(qtui::WelcomeWindow::DocumentPath));
}

}  // namespace
}  // namespace qt_test
