#include "QtProgressLogView.h"

#include <QApplication>

#include "EventGuard.h"

namespace qtui {

QtProgressLogView::QtProgressLogView(host::ProgressLogEvents& events)
    : window_(std::make_unique<ProgressLogWindow>()),
      lblStatus_(window_->lblStatus),
      mmoLog_(window_->mmoLog),
      lblFolder_(window_->lblFolder),
      chkCloseWhenFinished_(window_->chkCloseWhenFinished),
      btnCancel_(window_->btnCancel) {
    ProgressLogWindow& w = *window_;
    QObject::connect(w.btnCancel, &QPushButton::clicked, &w,
                     [&events] { CallEvent([&events] { events.btnCancelClick(); }); });
    QObject::connect(w.btnCopy, &QPushButton::clicked, &w,
                     [&events] { CallEvent([&events] { events.btnCopyClick(); }); });
    QObject::connect(&w, &ProgressLogWindow::closeRequested, &w,
                     [&events] { CallEvent([&events] { events.CloseRequested(); }); });
}

void QtProgressLogView::Show() {
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void QtProgressLogView::Hide() {
    window_->hide();
}

bool QtProgressLogView::Visible() const {
    return window_->isVisible();
}

void QtProgressLogView::BringToFront() {
    window_->raise();
}

void QtProgressLogView::Beep() {
    QApplication::beep();
}

}  // namespace qtui
