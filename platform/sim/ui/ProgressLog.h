#pragma once

// The progress log window without a display.

#include "host/UserInterface.h"
#include "sim/ui/Controls.h"
#include "sim/ui/Window.h"

namespace sim::ui {

class ProgressLog final : public host::ProgressLogView, public Window {
public:
    ProgressLog(host::ProgressLogEvents& events, Desktop& desktop, std::function<void()> onDestroyed);

    void Show() override { ShowWindow(); }
    void Hide() override { HideWindow(); }
    bool Visible() const override { return Window::Visible(); }
    void BringToFront() override { RaiseWindow(); }

    host::Label& lblStatus() override { return lblStatus_; }
    host::LogView& mmoLog() override { return mmoLog_; }
    host::Label& lblFolder() override { return lblFolder_; }
    host::CheckBox& chkCloseWhenFinished() override { return chkCloseWhenFinished_; }
    host::Button& btnCancel() override { return btnCancel_; }
    void Beep() override { ++beeps_; }

    const LogView& Log() const { return mmoLog_; }
    int Beeps() const { return beeps_; }

    // The user's actions; each throws std::logic_error on a hidden window.
    void ClickCancel();
    void ClickCopy();
    void ClickCloseWhenFinished();
    void CloseBox();

private:
    host::ProgressLogEvents& events_;
    Label lblStatus_;
    LogView mmoLog_;
    Label lblFolder_{u"Processing folder:"};
    CheckBox chkCloseWhenFinished_{false};
    Button btnCancel_{u"Cancel"};
    int beeps_ = 0;
};

}  // namespace sim::ui
