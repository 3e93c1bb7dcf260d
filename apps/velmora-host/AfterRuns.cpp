#include "AfterRuns.h"

#include <QCoreApplication>
#include <QEvent>
#include <utility>

namespace velmora::desktop {

// Installed before any run installs its own filter, so that a run's filter
// sees the question first: filters installed later are asked earlier.
AfterRuns::AfterRuns() {
    QCoreApplication::instance()->installEventFilter(this);
    retry_.setSingleShot(true);
    retry_.setInterval(kRetryMs);
    connect(&retry_, &QTimer::timeout, this, &AfterRuns::Try);
}

AfterRuns::~AfterRuns() {
    if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->removeEventFilter(this);
}

void AfterRuns::Then(std::function<void()> action) {
    pending_.push_back(std::move(action));
    if (!retry_.isActive() && !asking_) Try();
}

// A run that took the question posts it again as it returns; that copy is
// this object's own and is taken too, or the application would close its
// windows, in no set order, before the actions run.
bool AfterRuns::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Quit || watched != QCoreApplication::instance()) return false;
    if (asking_) {
        reached_ = true;
        return true;
    }
    return !pending_.empty();
}

void AfterRuns::Try() {
    reached_ = false;
    asking_ = true;
    QEvent question(QEvent::Quit);
    QCoreApplication::sendEvent(QCoreApplication::instance(), &question);
    asking_ = false;
    if (!reached_) {
        retry_.start();
        return;
    }
    // An action may queue another; that one waits for the next question.
    for (auto& action : std::exchange(pending_, {})) action();
}

}  // namespace velmora::desktop
