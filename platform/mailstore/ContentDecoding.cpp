#include "mailstore/ContentDecoding.h"

#include <vector>

#include "host/HostError.h"
#include "mailstore/Base64Decoder.h"
#include "mailstore/GObjectPtr.h"
#include "mailstore/TransferChecks.h"

namespace mailstore {

namespace {

constexpr std::size_t kChunkSize = 64 * 1024;

[[noreturn]] void ThrowUnreadable() {
    throw host::HostError(E_FAIL, u"The attachment's content cannot be read from its message.");
}

// Where decoded bytes go: a stream, or nowhere when they are only counted.
class Output {
public:
    explicit Output(GMimeStream* sink) : sink_(sink) {}

    void Write(const char* data, std::size_t size) {
        if (sink_ != nullptr && size > 0 && g_mime_stream_write(sink_, data, size) != static_cast<ssize_t>(size)) {
            throw host::HostError(E_FAIL, u"The attachment's content cannot be written.");
        }
        size_ += size;
    }
    void Count(std::uint64_t size) { size_ += size; }
    bool Counting() const { return sink_ == nullptr; }
    std::uint64_t Size() const { return size_; }

private:
    GMimeStream* sink_;
    std::uint64_t size_ = 0;
};

// Passes the stored text to visit(char* data, std::size_t size), a chunk at a time.
template <class Visit>
void ForEachStoredChunk(GMimeStream* stored, Visit&& visit) {
    if (g_mime_stream_reset(stored) != 0) ThrowUnreadable();
    std::vector<char> chunk(kChunkSize);
    for (;;) {
        const ssize_t read = g_mime_stream_read(stored, chunk.data(), chunk.size());
        if (read > 0) {
            visit(chunk.data(), static_cast<std::size_t>(read));
            continue;
        }
        // A bounded stream answers a read at its end with -1.
        if (read == 0 || g_mime_stream_eos(stored)) return;
        ThrowUnreadable();
    }
}

// Returns whether the text was intact.
bool DecodeBase64(GMimeStream* stored, Output& output) {
    Base64Decoder decoder;
    if (output.Counting()) {
        std::uint64_t count = 0;
        const auto counted = [&count](char) { ++count; };
        ForEachStoredChunk(stored, [&](const char* data, std::size_t size) { decoder.Feed({data, size}, counted); });
        decoder.Finish(counted);
        output.Count(count);
        return !decoder.Damaged();
    }
    std::vector<char> decoded(Base64Decoder::DecodedBound(kChunkSize));
    char* next = decoded.data();
    const auto append = [&next](char c) { *next++ = c; };
    ForEachStoredChunk(stored, [&](const char* data, std::size_t size) {
        next = decoded.data();
        decoder.Feed({data, size}, append);
        output.Write(decoded.data(), static_cast<std::size_t>(next - decoded.data()));
    });
    next = decoded.data();
    decoder.Finish(append);
    output.Write(decoded.data(), static_cast<std::size_t>(next - decoded.data()));
    return !decoder.Damaged();
}

// Quoted-printable and uuencode, through GMime's decoder and a check beside it.
template <class Check>
bool DecodeWithFilter(GMimeContentEncoding encoding, GMimeStream* stored, Output& output) {
    auto filter = GObjectPtr<GMimeFilter>::Adopt(g_mime_filter_basic_new(encoding, FALSE));
    Check check;
    char* decoded = nullptr;
    std::size_t length = 0;
    std::size_t prespace = 0;
    ForEachStoredChunk(stored, [&](char* data, std::size_t size) {
        check.Feed({data, size});
        g_mime_filter_filter(filter.get(), data, size, 0, &decoded, &length, &prespace);
        output.Write(decoded, length);
    });
    char none = '\0';
    g_mime_filter_complete(filter.get(), &none, 0, 0, &decoded, &length, &prespace);
    output.Write(decoded, length);
    check.Finish();
    return !check.Damaged();
}

void CopyStored(GMimeStream* stored, Output& output) {
    if (output.Counting()) {
        const gint64 length = g_mime_stream_length(stored);
        if (length >= 0) {
            output.Count(static_cast<std::uint64_t>(length));
            return;
        }
    }
    ForEachStoredChunk(stored, [&](const char* data, std::size_t size) { output.Write(data, size); });
}

DecodedContent WriteMessage(GMimeMessagePart* part, GMimeStream* sink) {
    GMimeMessage* message = g_mime_message_part_get_message(part);
    if (message == nullptr) return {};
    auto nowhere = GObjectPtr<GMimeStream>::Adopt(sink == nullptr ? g_mime_stream_null_new() : nullptr);
    const ssize_t written = g_mime_object_write_to_stream(GMIME_OBJECT(message), nullptr, sink ? sink : nowhere.get());
    if (written < 0) throw host::HostError(E_FAIL, u"The attached message cannot be written.");
    return {static_cast<std::uint64_t>(written), true};
}

DecodedContent Decode(GMimeObject* part, GMimeStream* sink) {
    if (GMIME_IS_MESSAGE_PART(part)) return WriteMessage(GMIME_MESSAGE_PART(part), sink);
    if (!GMIME_IS_PART(part)) return {};
    GMimeDataWrapper* content = g_mime_part_get_content(GMIME_PART(part));
    GMimeStream* stored = content == nullptr ? nullptr : g_mime_data_wrapper_get_stream(content);
    if (stored == nullptr) return {};
    Output output(sink);
    bool intact = true;
    switch (const GMimeContentEncoding encoding = g_mime_data_wrapper_get_encoding(content)) {
    case GMIME_CONTENT_ENCODING_BASE64:
        intact = DecodeBase64(stored, output);
        break;
    case GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE:
        intact = DecodeWithFilter<QuotedPrintableCheck>(encoding, stored, output);
        break;
    case GMIME_CONTENT_ENCODING_UUENCODE:
        intact = DecodeWithFilter<UuencodeCheck>(encoding, stored, output);
        break;
    default:
        CopyStored(stored, output);
        break;
    }
    return {output.Size(), intact};
}

}  // namespace

DecodedContent DecodeContent(GMimeObject* part, GMimeStream* sink) { return Decode(part, sink); }

DecodedContent MeasureContent(GMimeObject* part) { return Decode(part, nullptr); }

}  // namespace mailstore
