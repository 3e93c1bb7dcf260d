#include "Controls.h"

#include <QEvent>

namespace qtui {

namespace {

template <class Widget>
Widget* Named(Widget* widget, const char* name, QRect rect) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(rect);
    return widget;
}

}  // namespace

AutoSizeLabel::AutoSizeLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setTextFormat(Qt::PlainText);
    adjustSize();
}

void AutoSizeLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) adjustSize();
}

QGroupBox* MakeGroupBox(QWidget* parent, const char* name, const QString& title, QRect rect) {
    return Named(new QGroupBox(title, parent), name, rect);
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& text, QRect rect, bool checked) {
    auto* box = Named(new QCheckBox(text, parent), name, rect);
    box->setChecked(checked);
    return box;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, const QString& text, QRect rect) {
    return Named(new QLineEdit(text, parent), name, rect);
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, QRect rect) {
    return Named(new QPushButton(text, parent), name, rect);
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QPoint topLeft) {
    auto* label = new AutoSizeLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(topLeft);
    return label;
}

QLabel* MakeWrappedLabel(QWidget* parent, const char* name, const QString& text, QRect rect) {
    auto* label = Named(new QLabel(text, parent), name, rect);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

}  // namespace qtui
