#include "ProgressLogWindow.h"

#include <QCloseEvent>

#include "Controls.h"
#include "Fonts.h"
#include "WindowPlacement.h"

namespace qtui {

namespace {

QWidget* WithDialogFont(QDialog* dialog) {
    dialog->setFont(DialogFont());
    return dialog;
}

LogEdit* MakeLog(QWidget* parent) {
    auto* log = new LogEdit(parent);
    log->setObjectName("mmoLog");
    log->setGeometry(16, 56, 608, 277);
    log->setFont(LogFont());
    return log;
}

}  // namespace

ProgressLogWindow::ProgressLogWindow()
    : QDialog(nullptr, ToolWindowFlags()),
      lblStatus(MakeWrappedLabel(WithDialogFont(this), "lblStatus", QString(), {16, 9, 337, 39})),
      mmoLog(MakeLog(this)),
      lblFolder(MakeWrappedLabel(this, "lblFolder", "Processing folder:", {16, 340, 608, 16})),
      btnCopy(MakeButton(this, "btnCopy", "Copy to clipboard", {16, 362, 105, 25})),
      chkCloseWhenFinished(MakeCheckBox(this, "chkCloseWhenFinished", "Close when finished", {408, 366, 121, 17},
                                        false)),
      btnCancel(MakeButton(this, "btnCancel", "Cancel", {549, 362, 75, 25})),
      anchors_(ClientSize) {
    setObjectName("frmProcessLog");
    setWindowTitle("Processing...");
    resize(ClientSize);
    setMinimumSize(MinimumClientSize);
    lblFolder->setWordWrap(false);
    btnCancel->setFont(Bold(DialogFont()));

    anchors_.Add(lblStatus, Qt::LeftEdge | Qt::TopEdge);
    anchors_.Add(mmoLog, Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge);
    anchors_.Add(lblFolder, Qt::LeftEdge | Qt::BottomEdge);
    anchors_.Add(btnCopy, Qt::LeftEdge | Qt::BottomEdge);
    anchors_.Add(chkCloseWhenFinished, Qt::RightEdge | Qt::BottomEdge);
    anchors_.Add(btnCancel, Qt::RightEdge | Qt::BottomEdge);

    setTabOrder(mmoLog, btnCancel);
    setTabOrder(btnCancel, btnCopy);
    setTabOrder(btnCopy, chkCloseWhenFinished);
}

void ProgressLogWindow::reject() {
    btnCancel->click();
}

void ProgressLogWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!placed_) CenterOnScreen(*this);
    placed_ = true;
}

void ProgressLogWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    emit closeRequested();
}

void ProgressLogWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    anchors_.Apply(size());
}

}  // namespace qtui
