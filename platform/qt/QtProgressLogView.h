#pragma once

#include <memory>

#include "ControlAdapters.h"
#include "ProgressLogWindow.h"
#include "host/UserInterface.h"

namespace qtui {

// The progress window for the window logic: its controls one to one; the
// buttons, Esc and the close box passed to the events.
class QtProgressLogView final : public host::ProgressLogView {
public:
    explicit QtProgressLogView(host::ProgressLogEvents& events);

    void Show() override;
    void Hide() override;
    bool Visible() const override;
    void BringToFront() override;

    host::Label& lblStatus() override { return lblStatus_; }
    host::LogView& mmoLog() override { return mmoLog_; }
    host::Label& lblFolder() override { return lblFolder_; }
    host::CheckBox& chkCloseWhenFinished() override { return chkCloseWhenFinished_; }
    host::Button& btnCancel() override { return btnCancel_; }
    void Beep() override;

    ProgressLogWindow& Window() { return *window_; }

private:
    std::unique_ptr<ProgressLogWindow> window_;
    LabelAdapter lblStatus_;
    LogViewAdapter mmoLog_;
    LabelAdapter lblFolder_;
    CheckBoxAdapter chkCloseWhenFinished_;
    ButtonAdapter btnCancel_;
};

}  // namespace qtui
