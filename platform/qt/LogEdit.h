#pragma once

#include <QPlainTextEdit>
#include <QStringList>
#include <QTimer>

namespace qtui {

// A read-only log that takes a hundred thousand lines without slowing down:
// new lines wait in a buffer, where a rewrite of the last line costs nothing,
// and reach the document in one joined insert per batch, when the batch is
// full or when the flush timer fires (the event loop or a pump runs it).
// The document is only ever appended to or has its last line replaced.
class LogEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int BatchLines = 2000;
    static constexpr int FlushIntervalMs = 100;

    explicit LogEdit(QWidget* parent);

    void ClearLog();
    void Append(const QString& line);
    // Replaces the last line; appends one when the log is empty.
    void RewriteLastLine(const QString& line);
    // Moves the buffered lines into the document.
    void Flush();
    // Every line, buffered ones included.
    QStringList Lines();
    int PendingLines() const { return static_cast<int>(pending_.size()); }

private:
    void ReplaceLastDocumentLine(const QString& line);

    QStringList pending_;
    // An empty document and a document of one empty line look alike.
    bool documentHasLines_ = false;
    QTimer flushTimer_;
};

}  // namespace qtui
