#include "RecordingVfs.h"

#include <sqlite3.h>

#include <atomic>
#include <memory>
#include <condition_variable>
#include <mutex>

namespace catalog_tests {

namespace {

struct Recording {
    sqlite3_vfs* real = nullptr;
    sqlite3_vfs shim{};
    std::atomic<int> logSyncs = 0;
    std::atomic<int> allSyncs = 0;
    std::atomic<int> writeFailure = SQLITE_OK;

    std::mutex mutex;
    std::condition_variable changed;
    bool holding = false;
    bool waited = false;
    bool watchingEnded = false;
    std::int64_t requestedWait = 0;
};

std::unique_ptr<Recording> recording;

// The file as SQLite sees it, in front of the real layer's file.
struct ShimFile {
    sqlite3_file base;
    sqlite3_file* real;
    int flags;
};

sqlite3_file* Real(sqlite3_file* file) { return reinterpret_cast<ShimFile*>(file)->real; }

int Close(sqlite3_file* file) { return Real(file)->pMethods->xClose(Real(file)); }
int Read(sqlite3_file* file, void* data, int size, sqlite3_int64 offset) {
    return Real(file)->pMethods->xRead(Real(file), data, size, offset);
}
int Write(sqlite3_file* file, const void* data, int size, sqlite3_int64 offset) {
    if (int failure = recording->writeFailure; failure != SQLITE_OK) return failure;
    return Real(file)->pMethods->xWrite(Real(file), data, size, offset);
}
int Truncate(sqlite3_file* file, sqlite3_int64 size) { return Real(file)->pMethods->xTruncate(Real(file), size); }
int Sync(sqlite3_file* file, int flags) {
    ++recording->allSyncs;
    if ((reinterpret_cast<ShimFile*>(file)->flags & SQLITE_OPEN_WAL) != 0) ++recording->logSyncs;
    return Real(file)->pMethods->xSync(Real(file), flags);
}
int FileSize(sqlite3_file* file, sqlite3_int64* size) { return Real(file)->pMethods->xFileSize(Real(file), size); }
int Lock(sqlite3_file* file, int level) { return Real(file)->pMethods->xLock(Real(file), level); }
int Unlock(sqlite3_file* file, int level) { return Real(file)->pMethods->xUnlock(Real(file), level); }
int CheckReservedLock(sqlite3_file* file, int* result) {
    return Real(file)->pMethods->xCheckReservedLock(Real(file), result);
}
int FileControl(sqlite3_file* file, int operation, void* argument) {
    return Real(file)->pMethods->xFileControl(Real(file), operation, argument);
}
int SectorSize(sqlite3_file* file) { return Real(file)->pMethods->xSectorSize(Real(file)); }
int DeviceCharacteristics(sqlite3_file* file) { return Real(file)->pMethods->xDeviceCharacteristics(Real(file)); }
int ShmMap(sqlite3_file* file, int region, int size, int extend, void volatile** memory) {
    return Real(file)->pMethods->xShmMap(Real(file), region, size, extend, memory);
}
int ShmLock(sqlite3_file* file, int offset, int count, int flags) {
    return Real(file)->pMethods->xShmLock(Real(file), offset, count, flags);
}
void ShmBarrier(sqlite3_file* file) { Real(file)->pMethods->xShmBarrier(Real(file)); }
int ShmUnmap(sqlite3_file* file, int deleteFlag) { return Real(file)->pMethods->xShmUnmap(Real(file), deleteFlag); }
int Fetch(sqlite3_file* file, sqlite3_int64 offset, int size, void** data) {
    return Real(file)->pMethods->xFetch(Real(file), offset, size, data);
}
int Unfetch(sqlite3_file* file, sqlite3_int64 offset, void* data) {
    return Real(file)->pMethods->xUnfetch(Real(file), offset, data);
}

const sqlite3_io_methods kShimMethods = {
    3, &Close, &Read, &Write, &Truncate, &Sync, &FileSize, &Lock, &Unlock, &CheckReservedLock, &FileControl,
    &SectorSize, &DeviceCharacteristics, &ShmMap, &ShmLock, &ShmBarrier, &ShmUnmap, &Fetch, &Unfetch};

int Open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    auto* shim = reinterpret_cast<ShimFile*>(file);
    shim->base.pMethods = nullptr;
    shim->real = reinterpret_cast<sqlite3_file*>(shim + 1);
    shim->flags = flags;
    int result = recording->real->xOpen(recording->real, name, shim->real, flags, outFlags);
    // SQLite closes a file whose methods are set, even when opening failed.
    if (shim->real->pMethods != nullptr) shim->base.pMethods = &kShimMethods;
    return result;
}

// SQLite's busy handler waits through here.
int Sleep(sqlite3_vfs*, int microseconds) {
    std::unique_lock lock(recording->mutex);
    recording->requestedWait += microseconds;
    recording->waited = true;
    recording->changed.notify_all();
    recording->changed.wait(lock, [] { return !recording->holding; });
    return microseconds;
}

}  // namespace

RecordingVfs::RecordingVfs() {
    recording = std::make_unique<Recording>();
    recording->real = sqlite3_vfs_find(nullptr);
    recording->shim = *recording->real;
    recording->shim.pNext = nullptr;
    recording->shim.zName = "catalog-tests-recording";
    recording->shim.szOsFile = static_cast<int>(sizeof(ShimFile)) + recording->real->szOsFile;
    recording->shim.xOpen = &Open;
    recording->shim.xSleep = &Sleep;
    sqlite3_vfs_register(&recording->shim, 1);
}

RecordingVfs::~RecordingVfs() {
    sqlite3_vfs_unregister(&recording->shim);
    recording.reset();
}

int RecordingVfs::LogSyncs() const { return recording->logSyncs; }

int RecordingVfs::AllSyncs() const { return recording->allSyncs; }

void RecordingVfs::FailWritesWith(int result) { recording->writeFailure = result; }

void RecordingVfs::HoldWaits() {
    std::lock_guard lock(recording->mutex);
    recording->holding = true;
}

void RecordingVfs::ReleaseWaits() {
    std::lock_guard lock(recording->mutex);
    recording->holding = false;
    recording->changed.notify_all();
}

bool RecordingVfs::AwaitWaiter() {
    std::unique_lock lock(recording->mutex);
    recording->changed.wait(lock, [] { return recording->waited || recording->watchingEnded; });
    return recording->waited;
}

void RecordingVfs::EndWatching() {
    std::lock_guard lock(recording->mutex);
    recording->watchingEnded = true;
    recording->changed.notify_all();
}

std::int64_t RecordingVfs::RequestedWait() {
    std::lock_guard lock(recording->mutex);
    return recording->requestedWait;
}

}  // namespace catalog_tests
