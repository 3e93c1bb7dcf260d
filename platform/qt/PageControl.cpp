#include "PageControl.h"

#include <QFontMetrics>

namespace qtui {

PageControl::PageControl(QWidget* parent) : QWidget(parent), pages_(new QStackedWidget(this)) {
    connect(&tabGroup_, &QButtonGroup::idClicked, this, &PageControl::SetActivePage);
    connect(pages_, &QStackedWidget::currentChanged, this, [this](int index) {
        if (index >= 0) Tab(index)->setChecked(true);
    });
}

QWidget* PageControl::AddPage(const QString& caption, const QString& objectName) {
    auto* tab = new QToolButton(this);
    tab->setText(caption);
    tab->setCheckable(true);
    tab->setAutoRaise(true);
    tab->setFocusPolicy(Qt::TabFocus);
    tabGroup_.addButton(tab, Count());
    tabs_.push_back(tab);

    auto* page = new QWidget;
    page->setObjectName(objectName);
    pages_->addWidget(page);
    if (Count() == 1) tab->setChecked(true);
    Arrange();
    return page;
}

void PageControl::SetTabFont(const QFont& font) {
    for (QToolButton* tab : tabs_) tab->setFont(font);
    Arrange();
}

void PageControl::SetActivePage(int index) {
    if (index >= 0 && index < Count()) pages_->setCurrentIndex(index);
}

void PageControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Arrange();
}

void PageControl::Arrange() {
    int left = 0;
    for (QToolButton* tab : tabs_) {
        const int width = tab->fontMetrics().horizontalAdvance(tab->text()) + 18;
        tab->setGeometry(left, 0, width, TabHeight);
        left += width + 3;
    }
    pages_->setGeometry(0, PageTop, width(), std::max(0, height() - PageTop));
}

}  // namespace qtui
