#pragma once

#include <unistd.h>

namespace posix_tests {

// Ends the test program (SIGALRM) rather than let it hang when a call that
// must not block does, or a lock is never let go.
class HangGuard {
public:
    HangGuard() { alarm(60); }
    ~HangGuard() { alarm(0); }
    HangGuard(const HangGuard&) = delete;
    HangGuard& operator=(const HangGuard&) = delete;
};

}  // namespace posix_tests
