#pragma once

#include <memory>

#include "ControlAdapters.h"
#include "MainDialog.h"
#include "host/UserInterface.h"

namespace qtui {

// The main options dialog for the window logic: its controls one to one,
// the user's clicks, Enter, Esc and the loss of focus passed to the events.
class QtMainDialogView final : public host::MainDialogView {
public:
    explicit QtMainDialogView(host::MainDialogEvents& events);

    void Show() override;
    void Hide() override;
    bool Visible() const override;
    void BringToFront() override;

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

    MainDialog& Window() { return *window_; }

private:
    void Connect(host::MainDialogEvents& events);

    std::unique_ptr<MainDialog> window_;
    RadioButtonAdapter rbtSelectedFolder_;
    RadioButtonAdapter rbtSelectedMessage_;
    RadioButtonAdapter rbtLetMeChoose_;
    CheckBoxAdapter chkProcessSubFolders_;
    PageControlAdapter pgcAction_;
    RadioGroupAdapter rgpReplace_;
    CheckBoxAdapter chkRemove_;
    TextFieldAdapter edtDirTo_;
    CheckBoxAdapter chkFolders_;
    RadioGroupAdapter rgpIfFileExists_;
    TextFieldAdapter edtExt_;
    TextFieldAdapter edtSize_;
    UpDownAdapter updSize_;
    CheckBoxAdapter chkInlineImages_;
    CheckBoxAdapter chkDeleteAfterReintr_;
    TextFieldAdapter edtMoveFrom_;
    TextFieldAdapter edtMoveTo_;
};

}  // namespace qtui
