#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "PageControl.h"
#include "RadioGroup.h"
#include "RadioSet.h"
#include "UpDown.h"

namespace qtui {

// The main options dialog's widgets, named and placed as its layout gives
// them: a fixed-size tool window of 605 x 426 pixels. Esc answers through
// btnCancel and Enter through btnProcess; closing by the close box also goes
// through btnCancel. What the buttons do is connected from outside.
class MainDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr QSize ClientSize{605, 426};

    MainDialog();

    QGroupBox* const GroupBox1;
    RadioSetButton* const rbtSelectedFolder;
    RadioSetButton* const rbtSelectedMessage;
    RadioSetButton* const rbtLetMeChoose;
    QCheckBox* const chkProcessSubFolders;
    PageControl* const pgcAction;
    QWidget* const tbsRemove;
    QWidget* const tbsReintroduce;
    QWidget* const tbsMove;
    RadioGroup* const rgpReplace;
    QCheckBox* const chkRemove;
    QGroupBox* const GroupBox2;
    QLineEdit* const edtDirTo;
    QPushButton* const btnDirTo;
    QCheckBox* const chkFolders;
    RadioGroup* const rgpIfFileExists;
    QGroupBox* const GroupBox3;
    QLineEdit* const edtExt;
    QLineEdit* const edtSize;
    UpDown* const updSize;
    QCheckBox* const chkInlineImages;
    QCheckBox* const chkDeleteAfterReintr;
    QLineEdit* const edtMoveFrom;
    QPushButton* const btnMoveFrom;
    QLineEdit* const edtMoveTo;
    QPushButton* const btnMoveTo;
    QLabel* const Label8;
    QPushButton* const btnAbout;
    QPushButton* const btnDonate;
    QPushButton* const btnTips;
    QPushButton* const btnCancel;
    QPushButton* const btnProcess;

    void reject() override;

signals:
    // The dialog lost the focus to another window of this application that
    // is not a system box.
    void deactivated();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool placed_ = false;
};

}  // namespace qtui
