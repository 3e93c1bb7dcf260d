#include "MessagePump.h"

#include <QCoreApplication>
#include <QEvent>

namespace qtui {

namespace {

class QuitCatcher : public QObject {
public:
    bool Caught() const { return caught_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Quit || watched != QCoreApplication::instance()) return false;
        caught_ = true;
        return true;
    }

private:
    bool caught_ = false;
};

}  // namespace

bool QtMessagePump::ProcessPendingEvents() {
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr) throw host::HostError(E_UNEXPECTED, u"No Qt application is running");
    QuitCatcher catcher;
    application->installEventFilter(&catcher);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    application->removeEventFilter(&catcher);
    // The request was the host's: its own loop must still see it once the run is over.
    if (catcher.Caught()) QCoreApplication::postEvent(application, new QEvent(QEvent::Quit));
    return catcher.Caught();
}

}  // namespace qtui
