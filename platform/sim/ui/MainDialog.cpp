#include "sim/ui/MainDialog.h"

#include <stdexcept>

namespace sim::ui {

MainDialog::MainDialog(host::MainDialogEvents& events, Desktop& desktop, std::function<void()> onDestroyed)
    : Window(desktop, std::move(onDestroyed)), events_(events) {}

void MainDialog::ClickOk() {
    RequireVisible("OK");
    events_.btnProcessClick();
}

void MainDialog::ClickCancel() {
    RequireVisible("Cancel");
    events_.btnCancelClick();
}

void MainDialog::ClickAbout() {
    RequireVisible("About");
    events_.btnAboutClick();
}

void MainDialog::ClickDonate() {
    RequireVisible("Donate");
    events_.btnDonateClick();
}

void MainDialog::ClickTips() {
    RequireVisible("Tips");
    events_.btnTipsClick();
}

void MainDialog::ClickDirButton(host::DirButton button) {
    RequireVisible("a directory button");
    events_.btnDirToClick(button);
}

void MainDialog::ClickRemove() {
    ClickCheckBox(chkRemove_);
    events_.chkRemoveClick();
}

void MainDialog::ClickTarget(host::RadioButton& button) {
    RequireVisible("a target button");
    RequireEnabled(button.Enabled(), "target button");
    button.SetChecked(true);
    events_.rbtSelectedFolderClick();
}

void MainDialog::ClickCheckBox(host::CheckBox& box) {
    RequireVisible("a check box");
    RequireEnabled(box.Enabled(), "check box");
    box.SetChecked(!box.Checked());
}

void MainDialog::ChoosePage(int page) {
    RequireVisible("a page tab");
    pgcAction_.SetActivePage(page);
}

void MainDialog::ChooseItem(host::RadioGroup& group, int index) {
    RequireVisible("a radio group");
    RequireEnabled(group.Enabled(), "radio group");
    group.SetItemIndex(index);
}

void MainDialog::Type(host::TextField& field, const std::u16string& text) {
    RequireVisible("typing");
    field.SetText(text);
}

void MainDialog::CloseBox() {
    RequireVisible("the close box");
    Hide();
}

void MainDialog::RequireEnabled(bool enabled, const char* control) const {
    if (!enabled) throw std::logic_error(std::string("click on a disabled ") + control);
}

}  // namespace sim::ui
