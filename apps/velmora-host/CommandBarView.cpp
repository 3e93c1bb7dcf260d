#include "CommandBarView.h"

#include <QImage>
#include <QPixmap>

#include "qt/Strings.h"

namespace velmora::desktop {

namespace {

constexpr int kIconAndCaption = Office::msoButtonIconAndCaption;

}  // namespace

CommandBarView::CommandBarView(QMainWindow& window, sim::CommandBars& bars) : window_(window), bars_(bars) {}

QIcon CommandBarView::FaceIcon(const sim::ButtonState& button) {
    if (button.Face.empty()) return {};
    QImage face = QImage::fromData(button.Face.data(), static_cast<int>(button.Face.size()), "BMP");
    if (face.isNull()) return {};
    // A face has no alpha: its bottom-left pixel's colour is the background.
    QPixmap pixmap = QPixmap::fromImage(face);
    pixmap.setMask(pixmap.createMaskFromColor(face.pixelColor(0, face.height() - 1)));
    return QIcon(pixmap);
}

QAction* CommandBarView::ActionFor(sim::CommandBarButton& button, QObject* parent) {
    const sim::ButtonState& state = button.State();
    auto* action = new QAction(qtui::ToQt(state.Caption), parent);
    action->setToolTip(qtui::ToQt(state.TooltipText.empty() ? state.Caption : state.TooltipText));
    action->setIcon(FaceIcon(state));
    action->setObjectName(qtui::ToQt(state.Tag.empty() ? state.Caption : state.Tag));
    com::ComPtr<sim::CommandBarButton> held(&button);
    connect(action, &QAction::triggered, this, [this, held] {
        held->Click();
        emit clicked();
    });
    return action;
}

void CommandBarView::Refresh() {
    // Deferred: the click that led here may still run inside one of them.
    for (const auto& toolBar : toolBars_) {
        if (toolBar) {
            window_.removeToolBar(toolBar);
            toolBar->deleteLater();
        }
    }
    toolBars_.clear();
    for (const auto& bar : bars_.Bars()) {
        const sim::BarData& data = bar->Data();
        if (!data.Visible || data.Position == Office::msoBarPopup) continue;
        auto* toolBar = new QToolBar(qtui::ToQt(data.Name), &window_);
        toolBar->setObjectName(qtui::ToQt(data.Name));
        bool textBesideIcon = false;
        for (const auto& control : data.Controls) {
            if (!control->State().Visible) continue;
            toolBar->addAction(ActionFor(*control, toolBar));
            textBesideIcon = textBesideIcon || control->State().Style == kIconAndCaption;
        }
        if (toolBar->actions().isEmpty()) {
            delete toolBar;
            continue;
        }
        toolBar->setToolButtonStyle(textBesideIcon ? Qt::ToolButtonTextBesideIcon : Qt::ToolButtonFollowStyle);
        const Qt::ToolBarArea area = data.Position == Office::msoBarLeft    ? Qt::LeftToolBarArea
                                     : data.Position == Office::msoBarRight  ? Qt::RightToolBarArea
                                     : data.Position == Office::msoBarBottom ? Qt::BottomToolBarArea
                                                                             : Qt::TopToolBarArea;
        window_.addToolBar(area, toolBar);
        // Made after the window was shown: a child does not show by itself.
        toolBar->show();
        toolBars_.emplace_back(toolBar);
    }
}

void CommandBarView::FillContextMenu(QMenu& menu) {
    sim::CommandBar* bar = bars_.Find(kContextMenuBar);
    if (bar == nullptr) return;
    bar->Data().Controls.clear();
    bars_.RaiseUpdate();
    bool first = true;
    for (const auto& control : bar->Data().Controls) {
        if (!control->State().Visible) continue;
        if (first && !menu.isEmpty()) menu.addSeparator();
        first = false;
        menu.addAction(ActionFor(*control, &menu));
    }
}

}  // namespace velmora::desktop
