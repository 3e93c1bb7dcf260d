#pragma once

#include <QObject>
#include <QRadioButton>
#include <vector>

namespace qtui {

// A radio button of a RadioSet: a click only ever checks it, while code may
// also uncheck it (which a Qt auto-exclusive button refuses).
class RadioSetButton : public QRadioButton {
    Q_OBJECT
public:
    RadioSetButton(const QString& text, QWidget* parent);

protected:
    void nextCheckState() override;
};

// Radio buttons that exclude each other: checking one, by a click or from
// code, unchecks the others; unchecking one checks none, so the set may have
// no checked button at all.
class RadioSet : public QObject {
    Q_OBJECT
public:
    explicit RadioSet(QObject* parent) : QObject(parent) {}

    void Add(RadioSetButton* button);

private:
    std::vector<RadioSetButton*> buttons_;
};

}  // namespace qtui
