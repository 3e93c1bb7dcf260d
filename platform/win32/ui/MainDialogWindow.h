#pragma once

#include <memory>

#include "win32/ui/Controls.h"
#include "win32/ui/TopWindow.h"

namespace win32ui {

// The main options dialog as Win32 controls, at the places of its layout:
// the target group, the three pages of pgcAction and the buttons below.
// OK is the default button (Enter) and Cancel answers Esc; the close box
// hides the dialog and calls nothing.
class MainDialogWindow final : public TopWindow, public host::MainDialogView {
public:
    explicit MainDialogWindow(host::MainDialogEvents& events);

    void Show() override { TopWindow::Show(); }
    void Hide() override { TopWindow::Hide(); }
    bool Visible() const override { return TopWindow::Visible(); }
    void BringToFront() override { TopWindow::BringToFront(); }

    host::RadioButton& rbtSelectedFolder() override { return *rbtSelectedFolder_; }
    host::RadioButton& rbtSelectedMessage() override { return *rbtSelectedMessage_; }
    host::RadioButton& rbtLetMeChoose() override { return *rbtLetMeChoose_; }
    host::CheckBox& chkProcessSubFolders() override { return *chkProcessSubFolders_; }
    host::PageControl& pgcAction() override { return *pgcAction_; }
    host::RadioGroup& rgpReplace() override { return *rgpReplace_; }
    host::CheckBox& chkRemove() override { return *chkRemove_; }
    host::TextField& edtDirTo() override { return *edtDirTo_; }
    host::CheckBox& chkFolders() override { return *chkFolders_; }
    host::RadioGroup& rgpIfFileExists() override { return *rgpIfFileExists_; }
    host::TextField& edtExt() override { return *edtExt_; }
    host::TextField& edtSize() override { return *edtSize_; }
    host::UpDown& updSize() override { return *updSize_; }
    host::CheckBox& chkInlineImages() override { return *chkInlineImages_; }
    host::CheckBox& chkDeleteAfterReintr() override { return *chkDeleteAfterReintr_; }
    host::TextField& edtMoveFrom() override { return *edtMoveFrom_; }
    host::TextField& edtMoveTo() override { return *edtMoveTo_; }

protected:
    void OnCommand(int id, int code) override;
    void OnNotify(const NMHDR& notification) override;
    void OnClose() override;
    void OnDeactivate(HWND next) override;

private:
    host::MainDialogEvents& events_;
    std::unique_ptr<WinRadioButton> rbtSelectedFolder_, rbtSelectedMessage_, rbtLetMeChoose_;
    std::unique_ptr<WinCheckBox> chkProcessSubFolders_, chkRemove_, chkFolders_, chkInlineImages_,
        chkDeleteAfterReintr_;
    std::unique_ptr<WinPageControl> pgcAction_;
    std::unique_ptr<WinRadioGroup> rgpReplace_, rgpIfFileExists_;
    std::unique_ptr<WinTextField> edtDirTo_, edtExt_, edtSize_, edtMoveFrom_, edtMoveTo_;
    std::unique_ptr<WinUpDown> updSize_;
    HWND tabs_ = nullptr;
};

}  // namespace win32ui
