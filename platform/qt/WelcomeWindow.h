#pragma once

#include <QDialog>
#include <QFrame>
#include <QPushButton>

#include "LinkBrowser.h"

namespace qtui {

// The welcome window's widgets as its layout gives them: a fixed dialog of
// 780 x 480 pixels, the document in a white frame, and one Close button
// that answers both Enter and Esc.
class WelcomeWindow : public QDialog {
    Q_OBJECT
public:
    static constexpr QSize ClientSize{780, 480};
    // The project's own welcome and tips document, in the library's resources.
    static const QString DocumentPath;

    WelcomeWindow();

    QFrame* const Shape1;
    LinkBrowser* const RichEdit1;
    QPushButton* const btnClose;

    // Loads a rich text (HTML) document with its pictures; false when the
    // document or one of its pictures cannot be read.
    bool LoadDocument(const QString& path);

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace qtui
