#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include "Anchors.h"
#include "LogEdit.h"

namespace qtui {

// The progress window's widgets, named, placed and anchored as its layout
// gives them: a resizable tool window, client area 640 x 395, at least
// 368 x 305 with its frame. Esc answers through btnCancel. The close box
// does not close the window: it emits closeRequested and whoever handles
// that hides the window.
class ProgressLogWindow : public QDialog {
    Q_OBJECT
public:
    static constexpr QSize ClientSize{640, 395};
    // The minimum outer size less the frame the layout counts (8 x 27).
    static constexpr QSize MinimumClientSize{368 - 8, 305 - 27};

    ProgressLogWindow();

    QLabel* const lblStatus;
    LogEdit* const mmoLog;
    QLabel* const lblFolder;
    QPushButton* const btnCopy;
    QCheckBox* const chkCloseWhenFinished;
    QPushButton* const btnCancel;

    void reject() override;

signals:
    void closeRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    Anchors anchors_;
    bool placed_ = false;
};

}  // namespace qtui
