#include "velmora/InterruptSignal.h"

#include <unistd.h>

#include <csignal>

namespace velmora::cli {

namespace {

volatile std::sig_atomic_t interruptRequested = 0;
struct sigaction previousAction {};

void OnInterrupt(int) {
    interruptRequested = 1;
    constexpr char kNote[] = "\nCancelling after the current attachment (Ctrl-C again stops at once)\n";
    // Only async-signal-safe calls here; a failed write loses nothing but the note.
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, kNote, sizeof kNote - 1);
}

}  // namespace

InterruptScope::InterruptScope() {
    interruptRequested = 0;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, &previousAction);
}

InterruptScope::~InterruptScope() { sigaction(SIGINT, &previousAction, nullptr); }

bool InterruptScope::Requested() { return interruptRequested != 0; }

}  // namespace velmora::cli
