#include "engine/WriterThread.h"

#include <cstring>
#include <memory>
#include <utility>

namespace velmora {

TWriterThread::TWriterThread() : thread_([this] { Run(); }) {}

TWriterThread::~TWriterThread() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void TWriterThread::Post(std::function<void()> job) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
}

void TWriterThread::Drain() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return jobs_.empty() && !busy_; });
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

void TWriterThread::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (jobs_.empty()) return;
        std::function<void()> job = std::move(jobs_.front());
        jobs_.pop_front();
        const bool skip = static_cast<bool>(failure_);
        busy_ = true;
        lock.unlock();
        std::exception_ptr failed;
        if (!skip) {
            try {
                job();
            } catch (...) {
                failed = std::current_exception();
            }
        }
        job = nullptr;
        lock.lock();
        busy_ = false;
        if (failed && !failure_) failure_ = failed;
        if (jobs_.empty()) idle_.notify_all();
    }
}

TPipelinedHashingStream::TPipelinedHashingStream(TWriterThread& writer, host::OutputStream& file)
    : writer_(writer), file_(file) {
    current_.reserve(kBufferSize);
}

TPipelinedHashingStream::~TPipelinedHashingStream() {
    // No job may outlive the buffers and the file it uses.
    if (submitted_) {
        try {
            writer_.Drain();
        } catch (...) {
            // The failure was the caller's to see at Commit; here nothing waits for it.
        }
    }
}

void TPipelinedHashingStream::Write(const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    size_ += size;
    while (size > 0) {
        const std::size_t take = std::min(size, kBufferSize - current_.size());
        current_.insert(current_.end(), bytes, bytes + take);
        bytes += take;
        size -= take;
        if (current_.size() == kBufferSize) Submit();
    }
}

void TPipelinedHashingStream::Submit() {
    std::vector<char> next;
    {
        std::unique_lock lock(mutex_);
        released_.wait(lock, [this] { return inFlight_ < kBuffersInFlight; });
        ++inFlight_;
        if (!free_.empty()) {
            next = std::move(free_.back());
            free_.pop_back();
        }
    }
    next.clear();
    next.reserve(kBufferSize);
    submitted_ = true;
    // The buffer goes back when the job goes, run or left out after a failure.
    struct InFlight {
        InFlight(TPipelinedHashingStream& owner, std::vector<char> bytes) : stream(owner), buffer(std::move(bytes)) {}
        InFlight(const InFlight&) = delete;
        InFlight& operator=(const InFlight&) = delete;
        ~InFlight() {
            {
                std::lock_guard lock(stream.mutex_);
                --stream.inFlight_;
                stream.free_.push_back(std::move(buffer));
            }
            stream.released_.notify_one();
        }
        TPipelinedHashingStream& stream;
        std::vector<char> buffer;
    };
    auto held = std::make_shared<InFlight>(*this, std::move(current_));
    writer_.Post([this, held] {
        hash_.Update(held->buffer.data(), held->buffer.size());
        file_.Write(held->buffer.data(), held->buffer.size());
    });
    current_ = std::move(next);
}

void TPipelinedHashingStream::Commit() {
    if (!submitted_) {
        hash_.Update(current_.data(), current_.size());
        file_.Write(current_.data(), current_.size());
        current_.clear();
        return;
    }
    if (!current_.empty()) Submit();
    writer_.Drain();
    submitted_ = false;
}

std::string TPipelinedHashingStream::Digest() { return Sha256::Hex(hash_.Finish()); }

}  // namespace velmora
