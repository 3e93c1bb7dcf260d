#pragma once

#include "mailstore/Gmime.h"

#include <cstdint>
#include <filesystem>
#include <functional>

namespace mailstore {

// Replaces a message file by message the Maildir way, as servers, readers and
// synchronisers expect of a changed message: a new message file, and the old
// one removed. The message is written to a work file in the folder's tmp/
// with the old file's owner, group, permissions and modification time, and
// flushed to disk; check sees it there, and what check throws keeps the old
// file. Then it gets a fresh name in cur/ (see maildir::NewMessageName; the
// old name's fields, sizes and identifiers of other programs included, are
// not carried over) with the flags the old file has at that moment, however
// often another program renames it meanwhile, and the old file goes. Before
// writing, it cleans up after writers that died in the folder (see
// maildir::RemoveAbandonedWorkFiles).
//
// A crash leaves the old message or the new one whole, or for a moment both
// (the next write in the folder removes the old one). Failures throw
// host::HostError: ERROR_FILE_NOT_FOUND when another program deleted the
// message (before or while it was rewritten: the message stays deleted),
// ERROR_ACCESS_DENIED when the file belongs to a user the new file cannot be
// given to.
struct RewrittenFile {
    std::filesystem::path removed;  // the old file, as it was named when it went
    std::filesystem::path written;  // the new file
};
RewrittenFile RewriteMessageFile(const std::filesystem::path& file, GMimeMessage* message,
                                 const std::function<void(const std::filesystem::path&)>& check);

// The same in two steps, so that many rewrites share their flushes: the new
// message written and checked in its work file (not yet flushed), and its
// taking the old one's place.
class PreparedRewrite {
public:
    PreparedRewrite(const std::filesystem::path& file, GMimeMessage* message,
                    const std::function<void(const std::filesystem::path&)>& check);
    ~PreparedRewrite();
    PreparedRewrite(PreparedRewrite&& other) noexcept;
    PreparedRewrite& operator=(PreparedRewrite&&) = delete;
    PreparedRewrite(const PreparedRewrite&) = delete;
    PreparedRewrite& operator=(const PreparedRewrite&) = delete;

    // Flushes the work file's data.
    void Flush();
    // Gives the flushed work file its name in cur/ beside the old file.
    void Link();
    // Removes the old file (following renames); directories are synced by the caller.
    RewrittenFile RemoveOld();
    // The folders whose cur/ or new/ entries changed.
    std::filesystem::path CurDirectory() const;
    std::filesystem::path OldDirectory() const;

private:
    std::filesystem::path work_;
    std::filesystem::path current_;
    std::filesystem::path target_;
    std::int64_t seconds_ = 0;
    std::uint64_t size_ = 0;
    int fd_ = -1;
};

}  // namespace mailstore
