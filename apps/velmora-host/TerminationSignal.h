#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace velmora::desktop {

// SIGTERM, SIGINT and SIGHUP as the user's (or the session's) wish to close
// the program, taken into the event loop through a pipe, so that the host
// shuts its add-ins down as on any other close.
class TerminationSignal : public QObject {
    Q_OBJECT

public:
    // Catches the signals from now on; a signal that comes before the
    // event loop runs waits in the pipe. Call once, before anything else.
    static void Install();
    // Needs the QCoreApplication and Install.
    TerminationSignal();

signals:
    void received();

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace velmora::desktop
