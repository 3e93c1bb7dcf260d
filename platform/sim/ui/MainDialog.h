#pragma once

// The main options dialog without a display: its controls as the layout
// builds them, and the user's actions on them.

#include <string>

#include "host/UserInterface.h"
#include "sim/ui/Controls.h"
#include "sim/ui/Window.h"

namespace sim::ui {

class MainDialog final : public host::MainDialogView, public Window {
public:
    MainDialog(host::MainDialogEvents& events, Desktop& desktop, std::function<void()> onDestroyed);

    void Show() override { ShowWindow(); }
    void Hide() override { HideWindow(); }
    bool Visible() const override { return Window::Visible(); }
    void BringToFront() override { RaiseWindow(); }
    void LostFocus() override { events_.FormDeactivate(); }

    host::RadioButton& rbtSelectedFolder() override { return rbtSelectedFolder_; }
    host::RadioButton& rbtSelectedMessage() override { return rbtSelectedMessage_; }
    host::RadioButton& rbtLetMeChoose() override { return rbtLetMeChoose_; }
    host::CheckBox& chkProcessSubFolders() override { return chkProcessSubFolders_; }
    host::PageControl& pgcAction() override { return pgcAction_; }
    host::RadioGroup& rgpReplace() override { return rgpReplace_; }
    host::CheckBox& chkRemove() override { return chkRemove_; }
    host::TextField& edtDirTo() override { return edtDirTo_; }
    host::CheckBox& chkFolders() override { return chkFolders_; }
    host::RadioGroup& rgpIfFileExists() override { return rgpIfFileExists_; }
    host::TextField& edtExt() override { return edtExt_; }
    host::TextField& edtSize() override { return edtSize_; }
    host::UpDown& updSize() override { return updSize_; }
    host::CheckBox& chkInlineImages() override { return chkInlineImages_; }
    host::CheckBox& chkDeleteAfterReintr() override { return chkDeleteAfterReintr_; }
    host::TextField& edtMoveFrom() override { return edtMoveFrom_; }
    host::TextField& edtMoveTo() override { return edtMoveTo_; }

    // The user's actions; each throws std::logic_error on a hidden dialog
    // or a disabled control.
    void ClickOk();
    void ClickCancel();
    void ClickAbout();
    void ClickDonate();
    void ClickTips();
    void ClickDirButton(host::DirButton button);
    void ClickRemove();
    void ClickTarget(host::RadioButton& button);
    void ClickCheckBox(host::CheckBox& box);
    void ChoosePage(int page);
    void ChooseItem(host::RadioGroup& group, int index);
    void Type(host::TextField& field, const std::u16string& text);
    void CloseBox();

private:
    void RequireEnabled(bool enabled, const char* control) const;

    host::MainDialogEvents& events_;
    RadioButtonGroup targets_;
    RadioButton rbtSelectedFolder_{targets_, u"Selected folder"};
    RadioButton rbtSelectedMessage_{targets_, u"Selected message"};
    RadioButton rbtLetMeChoose_{targets_, u"Let me choose the folder"};
    CheckBox chkProcessSubFolders_{true};
    PageControl pgcAction_{3};
    RadioGroup rgpReplace_{3, 0};
    CheckBox chkRemove_{true};
    TextField edtDirTo_{u"C:\\Attachments"};
    CheckBox chkFolders_{true};
    RadioGroup rgpIfFileExists_{3, 0};
    TextField edtExt_;
    TextField edtSize_{u"0"};
    UpDown updSize_{0, 30000};
    CheckBox chkInlineImages_{false};
    CheckBox chkDeleteAfterReintr_{true};
    TextField edtMoveFrom_{u"C:\\Attachments"};
    TextField edtMoveTo_{u"D:\\Attachments"};
};

}  // namespace sim::ui
