#include "RadioGroup.h"

#include <QFontMetrics>

namespace qtui {

RadioGroup::RadioGroup(const QString& title, const QStringList& items, QWidget* parent)
    : QGroupBox(title, parent) {
    for (int i = 0; i < items.size(); ++i) {
        auto* item = new QRadioButton(items[i], this);
        buttons_.addButton(item, i);
        items_.push_back(item);
    }
    Arrange();
}

void RadioGroup::SetItemIndex(int index) {
    if (index >= 0 && index < Count()) {
        Item(index)->setChecked(true);
        return;
    }
    // An exclusive group never unchecks its last checked button by itself.
    buttons_.setExclusive(false);
    for (QRadioButton* item : items_) item->setChecked(false);
    buttons_.setExclusive(true);
}

void RadioGroup::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    Arrange();
}

void RadioGroup::Arrange() {
    if (items_.empty()) return;
    // Below the title, the items share the height in equal rows.
    const int top = fontMetrics().height() + 4;
    const int rowHeight = std::max(1, (height() - top - 4) / Count());
    const int itemHeight = std::min(rowHeight, 17);
    for (int i = 0; i < Count(); ++i) {
        Item(i)->setGeometry(8, top + i * rowHeight + (rowHeight - itemHeight) / 2, std::max(0, width() - 16),
                             itemHeight);
    }
}

}  // namespace qtui
