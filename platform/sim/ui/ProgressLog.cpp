#include "sim/ui/ProgressLog.h"

namespace sim::ui {

ProgressLog::ProgressLog(host::ProgressLogEvents& events, Desktop& desktop, std::function<void()> onDestroyed)
    : Window(desktop, std::move(onDestroyed)), events_(events) {}

void ProgressLog::ClickCancel() {
    RequireVisible("Cancel");
    events_.btnCancelClick();
}

void ProgressLog::ClickCopy() {
    RequireVisible("Copy to clipboard");
    events_.btnCopyClick();
}

void ProgressLog::ClickCloseWhenFinished() {
    RequireVisible("Close when finished");
    chkCloseWhenFinished_.SetChecked(!chkCloseWhenFinished_.Checked());
}

void ProgressLog::CloseBox() {
    RequireVisible("the close box");
    events_.CloseRequested();
}

}  // namespace sim::ui
