// The writer thread of a save run: bytes reach the file whole and in order
// with their hash, and a failing file is reported, never waited on for ever.
#include <gtest/gtest.h>

#include <string>

#include "base/Sha256.h"
#include "engine/WriterThread.h"
#include "host/HostError.h"

using velmora::TPipelinedHashingStream;
using velmora::TWriterThread;

namespace {

// A file in memory that fails from its nth write on, when asked to.
class MemoryFile final : public host::OutputStream {
public:
    explicit MemoryFile(int failFrom = 0) : failFrom_(failFrom) {}
    void Write(const void* data, std::size_t size) override {
        if (failFrom_ > 0 && ++writes_ >= failFrom_) throw host::HostError(E_FAIL, u"No space left on device");
        bytes.append(static_cast<const char*>(data), size);
    }
    void Commit() override {}

    std::string bytes;

private:
    int failFrom_;
    int writes_ = 0;
};

std::string HashOf(const std::string& bytes) {
    velmora::Sha256 hash;
    hash.Update(bytes.data(), bytes.size());
    return velmora::Sha256::Hex(hash.Finish());
}

// Bytes that differ from buffer to buffer, written in pieces that straddle them.
std::string WriteInPieces(TPipelinedHashingStream& stream, std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 4096) % 253);
    for (std::size_t at = 0; at < size; at += 300007) stream.Write(bytes.data() + at, std::min<std::size_t>(300007, size - at));
    return bytes;
}

}  // namespace

TEST(WriterThread, ManyBuffersArriveWholeInOrderWithTheirHash) {
    TWriterThread writer;
    for (const std::size_t size : {std::size_t{0}, std::size_t{10}, TPipelinedHashingStream::kBufferSize,
                                   7 * TPipelinedHashingStream::kBufferSize + 12345}) {
        MemoryFile file;
        TPipelinedHashingStream stream(writer, file);
        const std::string bytes = WriteInPieces(stream, size);
        stream.Commit();
        EXPECT_EQ(file.bytes, bytes) << size;
        EXPECT_EQ(stream.Size(), size);
        EXPECT_EQ(stream.Digest(), HashOf(bytes)) << size;
    }
}

TEST(WriterThread, AFileThatFailsIsReportedAtCommitAndTheNextFileStillWrites) {
    TWriterThread writer;
    {
        MemoryFile failing(2);
        TPipelinedHashingStream stream(writer, failing);
        // More buffers than may be in flight: a writer that stopped must not hold the writing side up.
        WriteInPieces(stream, 10 * TPipelinedHashingStream::kBufferSize);
        EXPECT_THROW(stream.Commit(), host::HostError);
    }
    MemoryFile file;
    TPipelinedHashingStream stream(writer, file);
    const std::string bytes = WriteInPieces(stream, 3 * TPipelinedHashingStream::kBufferSize);
    stream.Commit();
    EXPECT_EQ(file.bytes, bytes);
}
