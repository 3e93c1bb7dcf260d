#pragma once

#include <memory>

#include "win32/ui/Controls.h"
#include "win32/ui/TopWindow.h"

namespace win32ui {

// The progress window as Win32 controls at the places of its layout: the
// status, the log, the folder line, Copy, "Close when finished" and Cancel
// (Esc). The close box asks the window logic, which hides the view itself.
class ProgressLogWindow final : public TopWindow, public host::ProgressLogView {
public:
    explicit ProgressLogWindow(host::ProgressLogEvents& events);

    void Show() override { TopWindow::Show(); }
    void Hide() override { TopWindow::Hide(); }
    bool Visible() const override { return TopWindow::Visible(); }
    void BringToFront() override { TopWindow::BringToFront(); }

    host::Label& lblStatus() override { return *lblStatus_; }
    host::LogView& mmoLog() override { return *mmoLog_; }
    host::Label& lblFolder() override { return *lblFolder_; }
    host::CheckBox& chkCloseWhenFinished() override { return *chkCloseWhenFinished_; }
    host::Button& btnCancel() override { return *btnCancel_; }
    void Beep() override;

protected:
    void OnCommand(int id, int code) override;
    void OnClose() override;

private:
    host::ProgressLogEvents& events_;
    std::unique_ptr<WinLabel> lblStatus_, lblFolder_;
    std::unique_ptr<WinLogView> mmoLog_;
    std::unique_ptr<WinCheckBox> chkCloseWhenFinished_;
    std::unique_ptr<WinButton> btnCancel_;
};

}  // namespace win32ui
