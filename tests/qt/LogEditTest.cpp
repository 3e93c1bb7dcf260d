// The progress log: lines appended and the last one rewritten, whether it
// still waits in the buffer or is already in the document, and the batches
// that reach the document.

#include <QScrollBar>
#include <QTextBlock>

#include "QtTestSupport.h"
#include "qt/ControlAdapters.h"
#include "qt/LogEdit.h"

namespace qt_test {
namespace {

using qtui::LogEdit;

class LogEditTest : public ::testing::Test {
protected:
    QWidget window;
    LogEdit* log = new LogEdit(&window);
    qtui::LogViewAdapter view{log};
};

TEST_F(LogEditTest, RewritesTheLastLineWhetherBufferedOrInTheDocument) {
    view.Append(u"one");
    view.Append(u"two");
    view.RewriteLastLine(u"two done");
    EXPECT_EQ(log->PendingLines(), 2);
    log->Flush();
    EXPECT_EQ(log->PendingLines(), 0);
    view.RewriteLastLine(u"two done again");
    EXPECT_EQ(view.Text(), u"one\r\ntwo done again");
    EXPECT_EQ(log->document()->blockCount(), 2);
    view.Append(u"three");
    EXPECT_EQ(view.Text(), u"one\r\ntwo done again\r\nthree");
}

TEST_F(LogEditTest, EmptyLogsAndEmptyLines) {
    EXPECT_EQ(view.Text(), u"");
    view.RewriteLastLine(u"first");
    EXPECT_EQ(view.Text(), u"first");
    view.Clear();
    EXPECT_EQ(view.Text(), u"");
    EXPECT_TRUE(log->Lines().isEmpty());
    view.Append(u"");
    log->Flush();
    view.Append(u"after an empty line");
    EXPECT_EQ(log->Lines(), QStringList({"", "after an empty line"}));
    view.Clear();
    view.Append(u"x");
    log->Flush();
    view.Clear();
    view.RewriteLastLine(u"y");
    EXPECT_EQ(log->Lines(), QStringList({"y"}));
}

TEST_F(LogEditTest, ALineBreakInsideALineDoesNotSplitIt) {
    view.Append(u"subject\nwith\r\nbreaks");
    log->Flush();
    view.RewriteLastLine(u"rewritten\u2029too");
    EXPECT_EQ(log->document()->blockCount(), 1);
    EXPECT_EQ(log->Lines(), QStringList({"rewritten too"}));
}

TEST_F(LogEditTest, BuffersAtMostOneBatchAndTheTimerFlushesTheRest) {
    const int lines = 2 * LogEdit::BatchLines + 10;
    for (int i = 0; i < lines; ++i) view.Append(u"line " + U16(QString::number(i)));
    EXPECT_EQ(log->PendingLines(), 10);
    EXPECT_EQ(log->document()->blockCount(), 2 * LogEdit::BatchLines);
    EXPECT_SOON(log->PendingLines() == 0);
    EXPECT_EQ(log->document()->blockCount(), lines);
    EXPECT_EQ(log->document()->lastBlock().text(), QString("line %1").arg(lines - 1));
}

TEST_F(LogEditTest, FollowsTheEndWhileTheUserHasNotScrolledAway) {
    window.resize(300, 200);
    log->setGeometry(0, 0, 300, 200);
    window.show();
    for (int i = 0; i < 500; ++i) view.Append(u"line");
    log->Flush();
    QScrollBar* bar = log->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    bar->setValue(0);
    for (int i = 0; i < 100; ++i) view.Append(u"more");
    log->Flush();
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(LogEditTest, SelectAllTakesTheBufferedLinesToo) {
    view.Append(u"a");
    view.Append(u"b");
    view.SelectAll();
    EXPECT_EQ(log->textCursor().selectedText(), QString("a") + QChar::ParagraphSeparator + "b");
}

}  // namespace
}  // namespace qt_test
