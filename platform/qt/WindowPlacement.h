#pragma once

#include <QWidget>

namespace qtui {

// The window flags of a tool window whose title bar has only a close box.
Qt::WindowFlags ToolWindowFlags();

// Puts a top-level window in the middle of its screen's free area.
void CenterOnScreen(QWidget& window);

}  // namespace qtui
