#include "EventGuard.h"

#include <QMessageBox>

namespace qtui {

void ShowEscapedError(const std::exception& error) {
    QMessageBox::critical(nullptr, QStringLiteral("Velmora"), QString::fromUtf8(error.what()));
}

}  // namespace qtui
