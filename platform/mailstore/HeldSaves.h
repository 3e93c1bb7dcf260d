#pragma once

#include <filesystem>
#include <functional>
#include <vector>

#include "host/HostError.h"
#include "mailstore/MessageRewrite.h"

namespace mailstore {

// The rewrites of a mailbox held back while a batch of saves runs, made
// durable together at Commit: every work file flushed, each given its name
// in cur/, the cur/ directories synced once, then the old files removed and
// their directories synced once. A crash before Commit leaves every old
// message as it was (the work files are cleaned up later); during it, a
// message there at most twice for a moment, never lost.
class HeldSaves {
public:
    using Done = std::function<void(const RewrittenFile&)>;
    // The message went away meanwhile (another program deleted it).
    using Gone = std::function<void(const host::HostError&)>;

    bool Holding() const { return holding_; }
    void Hold() { holding_ = true; }
    void Add(PreparedRewrite rewrite, Done done, Gone gone);
    // Commits what is held and stops holding; the first failure that is not
    // a message gone is thrown once the others are done.
    void Commit();

private:
    struct Held {
        PreparedRewrite rewrite;
        Done done;
        Gone gone;
    };

    bool holding_ = false;
    std::vector<Held> held_;
};

}  // namespace mailstore
