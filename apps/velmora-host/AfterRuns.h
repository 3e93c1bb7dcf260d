#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <vector>

namespace velmora::desktop {

// Runs actions once no add-in is inside a run of its own. An add-in's long
// run serves the event queue from within a click handler and takes a quit
// request it finds there as the user's wish to stop: it cancels itself and
// swallows the request. Closing the host or unloading the add-in must wait
// until that run has returned, as the add-in's windows and engine are still
// on the stack. So this asks with a quit request: when it reaches the
// application, nobody took it and the actions run at once; otherwise a run
// was just told to stop, and the question is asked again a little later.
class AfterRuns : public QObject {
public:
    static constexpr int kRetryMs = 100;

    AfterRuns();
    ~AfterRuns() override;
    AfterRuns(const AfterRuns&) = delete;
    AfterRuns& operator=(const AfterRuns&) = delete;

    // Runs now or later; actions queued before run first.
    void Then(std::function<void()> action);
    // Whether actions wait for a run to return.
    bool Waiting() const { return !pending_.empty(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Try();

    std::vector<std::function<void()>> pending_;
    QTimer retry_;
    bool asking_ = false;
    bool reached_ = false;
};

}  // namespace velmora::desktop
