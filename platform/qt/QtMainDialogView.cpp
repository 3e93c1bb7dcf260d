#include "QtMainDialogView.h"

#include "EventGuard.h"

namespace qtui {

QtMainDialogView::QtMainDialogView(host::MainDialogEvents& events)
    : window_(std::make_unique<MainDialog>()),
      rbtSelectedFolder_(window_->rbtSelectedFolder),
      rbtSelectedMessage_(window_->rbtSelectedMessage),
      rbtLetMeChoose_(window_->rbtLetMeChoose),
      chkProcessSubFolders_(window_->chkProcessSubFolders),
      pgcAction_(window_->pgcAction),
      rgpReplace_(window_->rgpReplace),
      chkRemove_(window_->chkRemove),
      edtDirTo_(window_->edtDirTo),
      chkFolders_(window_->chkFolders),
      rgpIfFileExists_(window_->rgpIfFileExists),
      edtExt_(window_->edtExt),
      edtSize_(window_->edtSize),
      updSize_(window_->updSize),
      chkInlineImages_(window_->chkInlineImages),
      chkDeleteAfterReintr_(window_->chkDeleteAfterReintr),
      edtMoveFrom_(window_->edtMoveFrom),
      edtMoveTo_(window_->edtMoveTo) {
    Connect(events);
}

void QtMainDialogView::Connect(host::MainDialogEvents& events) {
    MainDialog& w = *window_;
    const auto on = [&w](QAbstractButton* button, auto event) {
        QObject::connect(button, &QAbstractButton::clicked, &w, [event] { CallEvent(event); });
    };
    on(w.btnProcess, [&events] { events.btnProcessClick(); });
    on(w.btnCancel, [&events] { events.btnCancelClick(); });
    on(w.btnAbout, [&events] { events.btnAboutClick(); });
    on(w.btnDonate, [&events] { events.btnDonateClick(); });
    on(w.btnTips, [&events] { events.btnTipsClick(); });
    on(w.btnDirTo, [&events] { events.btnDirToClick(host::DirButton::btnDirTo); });
    on(w.btnMoveFrom, [&events] { events.btnDirToClick(host::DirButton::btnMoveFrom); });
    on(w.btnMoveTo, [&events] { events.btnDirToClick(host::DirButton::btnMoveTo); });
    on(w.chkRemove, [&events] { events.chkRemoveClick(); });
    for (QAbstractButton* target : {w.rbtSelectedFolder, w.rbtSelectedMessage, w.rbtLetMeChoose}) {
        on(target, [&events] { events.rbtSelectedFolderClick(); });
    }
    QObject::connect(&w, &MainDialog::deactivated, &w, [&events] { CallEvent([&events] { events.FormDeactivate(); }); });
}

void QtMainDialogView::Show() {
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void QtMainDialogView::Hide() {
    window_->hide();
}

bool QtMainDialogView::Visible() const {
    return window_->isVisible();
}

void QtMainDialogView::BringToFront() {
    window_->raise();
}

}  // namespace qtui
