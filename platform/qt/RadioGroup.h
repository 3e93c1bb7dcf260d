#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QStringList>
#include <vector>

namespace qtui {

// A titled box of exclusive radio items, arranged one under the other over
// the box's height; the selected item is an index, -1 for none.
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& title, const QStringList& items, QWidget* parent);

    int ItemIndex() const { return buttons_.checkedId(); }
    void SetItemIndex(int index);
    QRadioButton* Item(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    int Count() const { return static_cast<int>(items_.size()); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Arrange();

    QButtonGroup buttons_;
    std::vector<QRadioButton*> items_;
};

}  // namespace qtui
