#pragma once

#include <QButtonGroup>
#include <QStackedWidget>
#include <QToolButton>
#include <QWidget>
#include <vector>

namespace qtui {

// Pages switched by a row of flat buttons along the top: the active page's
// button stays pressed. Children of a page are placed relative to the page.
class PageControl : public QWidget {
    Q_OBJECT
public:
    static constexpr int TabHeight = 23;
    static constexpr int PageTop = TabHeight + 4;

    explicit PageControl(QWidget* parent);

    QWidget* AddPage(const QString& caption, const QString& objectName);
    void SetTabFont(const QFont& font);
    int ActivePage() const { return pages_->currentIndex(); }
    void SetActivePage(int index);
    QToolButton* Tab(int index) const { return tabs_.at(static_cast<std::size_t>(index)); }
    QWidget* Page(int index) const { return pages_->widget(index); }
    int Count() const { return pages_->count(); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Arrange();

    QButtonGroup tabGroup_;
    std::vector<QToolButton*> tabs_;
    QStackedWidget* pages_;
};

}  // namespace qtui
