#include "LogEdit.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

namespace qtui {

namespace {

// A line break inside a line would split it into two, and the next rewrite
// of the last line would then replace only its tail.
QString OneLine(QString line) {
    for (const QChar breaker : {QChar(u'\n'), QChar(u'\r'), QChar(QChar::LineSeparator),
                                QChar(QChar::ParagraphSeparator)}) {
        line.replace(breaker, QChar(u' '));
    }
    return line;
}

}  // namespace

LogEdit::LogEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setUndoRedoEnabled(false);
    flushTimer_.setSingleShot(true);
    flushTimer_.setInterval(FlushIntervalMs);
    connect(&flushTimer_, &QTimer::timeout, this, &LogEdit::Flush);
}

void LogEdit::ClearLog() {
    flushTimer_.stop();
    pending_.clear();
    clear();
    documentHasLines_ = false;
}

void LogEdit::Append(const QString& line) {
    if (pending_.size() >= BatchLines) Flush();
    pending_.append(OneLine(line));
    if (!flushTimer_.isActive()) flushTimer_.start();
}

void LogEdit::RewriteLastLine(const QString& line) {
    if (!pending_.isEmpty()) {
        pending_.last() = OneLine(line);
    } else if (documentHasLines_) {
        ReplaceLastDocumentLine(OneLine(line));
    } else {
        Append(line);
    }
}

void LogEdit::Flush() {
    flushTimer_.stop();
    if (pending_.isEmpty()) return;
    QScrollBar* scroll = verticalScrollBar();
    const bool followEnd = scroll->value() == scroll->maximum();
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    if (documentHasLines_) cursor.insertBlock();
    cursor.insertText(pending_.join(u'\n'));
    cursor.endEditBlock();
    pending_.clear();
    documentHasLines_ = true;
    if (followEnd) scroll->setValue(scroll->maximum());
}

QStringList LogEdit::Lines() {
    Flush();
    if (!documentHasLines_) return {};
    QStringList lines;
    lines.reserve(document()->blockCount());
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) lines.append(block.text());
    return lines;
}

void LogEdit::ReplaceLastDocumentLine(const QString& line) {
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(line);
}

}  // namespace qtui
