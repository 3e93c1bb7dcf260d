#include "MainDialog.h"

#include <QEvent>
#include <QApplication>
#include <QCloseEvent>
#include <QPalette>

#include "Controls.h"
#include "Fonts.h"
#include "MessageBoxes.h"
#include "WindowPlacement.h"

namespace qtui {

namespace {

RadioSetButton* MakeTarget(QGroupBox* parent, const char* name, const QString& text, int top) {
    auto* button = new RadioSetButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(16, top, 545, 17);
    return button;
}

template <class Widget>
Widget* Named(Widget* widget, const char* name, QRect rect) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(rect);
    return widget;
}

QWidget* WithDialogFont(QDialog* dialog) {
    dialog->setFont(DialogFont());
    return dialog;
}

}  // namespace

MainDialog::MainDialog()
    : QDialog(nullptr, ToolWindowFlags()),
      GroupBox1(MakeGroupBox(WithDialogFont(this), "GroupBox1", " Target ", {16, 8, 577, 105})),
      rbtSelectedFolder(MakeTarget(GroupBox1, "rbtSelectedFolder", "Selected folder", 20)),
      rbtSelectedMessage(MakeTarget(GroupBox1, "rbtSelectedMessage", "Selected message", 40)),
      rbtLetMeChoose(MakeTarget(GroupBox1, "rbtLetMeChoose", "Let me choose the folder", 60)),
      chkProcessSubFolders(MakeCheckBox(GroupBox1, "chkProcessSubFolders", "Process sub-folders", {16, 80, 121, 17},
                                        true)),
      pgcAction(Named(new PageControl(this), "pgcAction", {12, 124, 585, 252})),
      tbsRemove(pgcAction->AddPage("Save attachments", "tbsRemove")),
      tbsReintroduce(pgcAction->AddPage("Reintroduce removed attachments", "tbsReintroduce")),
      tbsMove(pgcAction->AddPage("Change link attachments root folder", "tbsMove")),
      rgpReplace(Named(new RadioGroup("Remove after saving",
                                      {"Replace by link attachment", "Replace by text reference on e-mail body",
                                       "Don't replace by anything, just remove"},
                                      tbsRemove),
                       "rgpReplace", {8, 8, 265, 81})),
      chkRemove(MakeCheckBox(tbsRemove, "chkRemove", "Remove after saving", {1, 6, 121, 17}, true)),
      GroupBox2(MakeGroupBox(tbsRemove, "GroupBox2", " Save to ", {288, 8, 281, 177})),
      edtDirTo(MakeEdit(GroupBox2, "edtDirTo", "C:\\Attachments", {16, 24, 225, 19})),
      btnDirTo(MakeButton(GroupBox2, "btnDirTo", "...", {241, 24, 24, 19})),
      chkFolders(MakeCheckBox(GroupBox2, "chkFolders", "Add subdirectories to reproduce folders structure",
                              {16, 48, 257, 17}, true)),
      rgpIfFileExists(Named(new RadioGroup(" If file already exists... ",
                                           {"Rename it (add number)", "Overwrite it", "Ask me"}, GroupBox2),
                            "rgpIfFileExists", {16, 80, 249, 81})),
      GroupBox3(MakeGroupBox(tbsRemove, "GroupBox3", " Additional options ", {8, 96, 265, 125})),
      edtExt(MakeEdit(GroupBox3, "edtExt", QString(), {16, 36, 233, 19})),
      edtSize(MakeEdit(GroupBox3, "edtSize", "0", {158, 61, 43, 19})),
      updSize(Named(new UpDown(edtSize, 0, 30000, GroupBox3), "updSize", {201, 61, 15, 19})),
      chkInlineImages(MakeCheckBox(GroupBox3, "chkInlineImages", "Process images inside the message body",
                                   {16, 86, 241, 17}, false)),
      chkDeleteAfterReintr(MakeCheckBox(tbsReintroduce, "chkDeleteAfterReintr", "Delete file after reintroducing",
                                        {8, 32, 169, 17}, true)),
      edtMoveFrom(MakeEdit(tbsMove, "edtMoveFrom", "C:\\Attachments", {8, 72, 225, 19})),
      btnMoveFrom(MakeButton(tbsMove, "btnMoveFrom", "...", {233, 72, 24, 19})),
      edtMoveTo(MakeEdit(tbsMove, "edtMoveTo", "D:\\Attachments", {8, 120, 225, 19})),
      btnMoveTo(MakeButton(tbsMove, "btnMoveTo", "...", {233, 120, 24, 19})),
      Label8(MakeWrappedLabel(tbsMove, "Label8",
                              "Warning: This option will only move the files if they exist on the source folder. "
                              "Otherways, the files must exist on the target folder.",
                              {8, 176, 376, 26})),
      btnAbout(MakeButton(this, "btnAbout", "About...", {16, 384, 75, 25})),
      btnDonate(MakeButton(this, "btnDonate", "Donate...", {91, 384, 75, 25})),
      btnTips(MakeButton(this, "btnTips", "Tips...", {166, 384, 75, 25})),
      btnCancel(MakeButton(this, "btnCancel", "Cancel", {434, 384, 75, 25})),
      btnProcess(MakeButton(this, "btnProcess", "OK", {514, 384, 75, 25})) {
    setObjectName("frmVelmora");
    setWindowTitle("Ondrel Velmora - v2.1");
    setFixedSize(ClientSize);

    auto* targets = new RadioSet(this);
    for (RadioSetButton* target : {rbtSelectedFolder, rbtSelectedMessage, rbtLetMeChoose}) targets->Add(target);

    rgpReplace->SetItemIndex(0);
    rgpIfFileExists->SetItemIndex(0);
    // The check box stands in for the group's title: drawn over it, opaque.
    chkRemove->setAutoFillBackground(true);
    chkRemove->raise();

    MakeLabel(GroupBox3, "Label2", "Process only attachments with these extensions", {16, 20});
    MakeLabel(GroupBox3, "Label3", "Process only att. bigger than", {16, 64});
    MakeLabel(GroupBox3, "Label4", "KBytes", {220, 64});
    MakeLabel(GroupBox3, "Label9", "Warning: may fail while reintroducing", {32, 103});
    MakeLabel(tbsReintroduce, "Label1",
              "This option will try to reintroduce all the previously removed attachments back into Outlook.",
              {8, 8});
    MakeWrappedLabel(tbsMove, "Label5",
                     "This option will process the removed attachments changing the root path of the linked file. "
                     "It is useful when you want to move all the removed attachments or when you've changed your "
                     "computer.",
                     {8, 8, 441, 41});
    MakeLabel(tbsMove, "Label6", "Previous root folder", {8, 56});
    MakeLabel(tbsMove, "Label7", "New root folder", {8, 104});
    QPalette warning = Label8->palette();
    warning.setColor(QPalette::WindowText, Qt::red);
    Label8->setPalette(warning);

    const QFont bold = Bold(DialogFont());
    pgcAction->SetTabFont(bold);
    for (QPushButton* button : {btnAbout, btnDonate, btnTips, btnCancel, btnProcess}) button->setFont(bold);
    btnProcess->setDefault(true);
}

void MainDialog::reject() {
    btnCancel->click();
}

void MainDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!placed_) CenterOnScreen(*this);
    placed_ = true;
}

void MainDialog::closeEvent(QCloseEvent* event) {
    // Not QDialog's, which would reject and so answer as Esc does.
    event->accept();
}

void MainDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || isActiveWindow()) return;
    const QWidget* next = QApplication::activeWindow();
    if (next && !next->property(SystemBoxProperty).toBool()) emit deactivated();
}

}  // namespace qtui
