#pragma once

namespace velmora::cli {

// Ctrl-C (SIGINT) asks the running operation to stop, as the progress
// window's Cancel button does: the handler only sets a flag, which the log's
// handlers read and pass on to the engine, so the run stops after the current
// attachment and leaves every item whole. A second Ctrl-C ends the program
// at once (the handler is taken back after the first), which the store's
// atomic saves make safe too.
class InterruptScope {
public:
    // Installs the handler and clears the flag; the previous handler comes back afterwards.
    InterruptScope();
    ~InterruptScope();
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

    static bool Requested();
};

}  // namespace velmora::cli
