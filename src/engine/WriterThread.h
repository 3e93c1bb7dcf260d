#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/Sha256.h"
#include "host/FileSystem.h"

namespace velmora {

// A thread that runs jobs in the order they are posted: a save run hashes
// and writes an attachment's bytes there while its own thread decodes the
// next ones, so that both cores work.
class TWriterThread {
public:
    TWriterThread();
    ~TWriterThread();
    TWriterThread(const TWriterThread&) = delete;
    TWriterThread& operator=(const TWriterThread&) = delete;

    void Post(std::function<void()> job);
    // Waits until every job posted has run; rethrows the first failure since
    // the last Drain (the jobs after a failure are left out).
    void Drain();

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<std::function<void()>> jobs_;
    bool busy_ = false;
    bool stopping_ = false;
    std::exception_ptr failure_;
    std::thread thread_;
};

// What an attachment writes, hashed and written into its file on a writer
// thread, a large buffer at a time (a few of them in flight at most, so the
// memory stays bounded). Content too small to fill one buffer is hashed and
// written at once, where handing it over would cost more than it saves.
class TPipelinedHashingStream final : public host::OutputStream {
public:
    static constexpr std::size_t kBufferSize = 1024 * 1024;
    static constexpr std::size_t kBuffersInFlight = 3;

    TPipelinedHashingStream(TWriterThread& writer, host::OutputStream& file);
    ~TPipelinedHashingStream() override;

    void Write(const void* data, std::size_t size) override;
    // Writes what is left and waits for the writer; the file is not committed.
    void Commit() override;

    std::uint64_t Size() const { return size_; }
    std::string Digest();

private:
    void Submit();

    TWriterThread& writer_;
    host::OutputStream& file_;
    Sha256 hash_;  // used by the writer thread until Commit
    std::vector<char> current_;
    std::mutex mutex_;
    std::condition_variable released_;
    std::vector<std::vector<char>> free_;
    std::size_t inFlight_ = 0;
    bool submitted_ = false;
    std::uint64_t size_ = 0;
};

}  // namespace velmora
