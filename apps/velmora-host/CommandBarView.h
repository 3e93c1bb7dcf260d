#pragma once

#include <QIcon>
#include <QMainWindow>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QToolBar>
#include <vector>

#include "sim/CommandBars.h"

namespace velmora::desktop {

// The host's command bars on screen. Every docked bar that is visible and
// has a visible control is a tool bar of the main window, in the order of
// the bars; the bar named "Context Menu" is the item context menu, which the
// host makes anew each time it opens, telling the add-ins with OnUpdate so
// that they put their entries in. Clicking a control raises its Click.
class CommandBarView : public QObject {
    Q_OBJECT

public:
    static constexpr char16_t kContextMenuBar[] = u"Context Menu";

    CommandBarView(QMainWindow& window, sim::CommandBars& bars);

    // Draws the bars as they are now.
    void Refresh();
    // Empties the context menu bar, raises OnUpdate, and adds the visible
    // controls the bar then has to the menu.
    void FillContextMenu(QMenu& menu);

    // The icon a button's face gives; none when it has no readable face.
    static QIcon FaceIcon(const sim::ButtonState& button);

signals:
    // A control was clicked and its Click handlers have returned.
    void clicked();

private:
    QAction* ActionFor(sim::CommandBarButton& button, QObject* parent);

    QMainWindow& window_;
    sim::CommandBars& bars_;
    std::vector<QPointer<QToolBar>> toolBars_;
};

}  // namespace velmora::desktop
