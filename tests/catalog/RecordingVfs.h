#pragma once

#include <cstdint>

namespace catalog_tests {

// SQLite's default file layer with eyes, itself the default for connections
// opened while it lives: it counts flushes to disk, can fail writes as a full
// disk does, and records each wait for another connection's lock, which ends
// at once unless waits are held (then it lasts until ReleaseWaits). Only one
// may live at a time.
class RecordingVfs {
public:
    RecordingVfs();
    ~RecordingVfs();
    RecordingVfs(const RecordingVfs&) = delete;
    RecordingVfs& operator=(const RecordingVfs&) = delete;

    // Flushes of write-ahead logs, and of any file.
    int LogSyncs() const;
    int AllSyncs() const;
    // An SQLite result code for every write; SQLITE_OK lets writes pass again.
    void FailWritesWith(int result);

    void HoldWaits();
    void ReleaseWaits();
    // Blocks until a connection waits (true) or EndWatching is called (false).
    bool AwaitWaiter();
    void EndWatching();
    // Microseconds of waiting that connections asked for.
    std::int64_t RequestedWait();
};

}  // namespace catalog_tests
