#pragma once

#include <QLineEdit>
#include <QToolButton>
#include <QWidget>

namespace qtui {

// Up and down arrows bound to a text field: each step starts from the
// number the field holds (the last position when it holds none), stays
// within the range without wrapping, and writes the new position back.
class UpDown : public QWidget {
    Q_OBJECT
public:
    UpDown(QLineEdit* buddy, int minimum, int maximum, QWidget* parent);

    int Position() const { return position_; }
    void SetPosition(int position);
    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Step(int delta);

    QLineEdit* buddy_;
    int minimum_;
    int maximum_;
    int position_;
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace qtui
