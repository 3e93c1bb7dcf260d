#include "RadioSet.h"

namespace qtui {

RadioSetButton::RadioSetButton(const QString& text, QWidget* parent) : QRadioButton(text, parent) {
    setAutoExclusive(false);
}

void RadioSetButton::nextCheckState() {
    setChecked(true);
}

void RadioSet::Add(RadioSetButton* button) {
    buttons_.push_back(button);
    connect(button, &QRadioButton::toggled, this, [this, button](bool checked) {
        if (!checked) return;
        for (RadioSetButton* other : buttons_) {
            if (other != button) other->setChecked(false);
        }
    });
}

}  // namespace qtui
