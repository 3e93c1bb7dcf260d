#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRect>

namespace qtui {

// A label that takes the size of its text, also when its font changes later.
class AutoSizeLabel : public QLabel {
    Q_OBJECT
public:
    AutoSizeLabel(const QString& text, QWidget* parent);

protected:
    void changeEvent(QEvent* event) override;
};

// Controls made, named and placed in one step, the way the layout tables
// list them: name, text, then left, top, width and height in the parent.
QGroupBox* MakeGroupBox(QWidget* parent, const char* name, const QString& title, QRect rect);
QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& text, QRect rect, bool checked);
QLineEdit* MakeEdit(QWidget* parent, const char* name, const QString& text, QRect rect);
QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, QRect rect);
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QPoint topLeft);
QLabel* MakeWrappedLabel(QWidget* parent, const char* name, const QString& text, QRect rect);

}  // namespace qtui
