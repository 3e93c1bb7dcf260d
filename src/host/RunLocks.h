#pragma once

#include <memory>
#include <string>
#include <vector>

namespace host {

// What keeps two runs from working on the same mailbox or the same target
// directory at once, across processes.
class RunLocks {
public:
    // Held until it goes.
    class Lease {
    public:
        virtual ~Lease() = default;
    };

    virtual ~RunLocks() = default;

    // The locks of one run: the mail store's, which the platform knows, and
    // one per directory given (Windows paths, which need not exist yet).
    // Whether it waits for another run that holds one, and what it tells the
    // user meanwhile, is the platform's policy; when it may not wait it throws
    // host::HostError (ERROR_LOCK_VIOLATION) naming what is locked.
    virtual std::unique_ptr<Lease> Acquire(const std::vector<std::u16string>& directories) = 0;
};

}  // namespace host
