#include "mailstore/MessageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "mailstore/MimeRuntime.h"

namespace mailstore {

namespace fs = std::filesystem;

namespace {

// Whether the header block (up to its empty line) is short enough to be
// held in memory. Leaves the stream at its start.
bool HeaderBlockFits(GMimeStream* stream) {
    std::array<char, 64 * 1024> chunk;
    char previous[2] = {'x', 'x'};
    std::uint64_t offset = 0;
    bool fits = false;
    while (!fits && offset < kMaxHeaderBlock) {
        const ssize_t read = g_mime_stream_read(stream, chunk.data(), chunk.size());
        if (read <= 0) {
            fits = true;  // the parser meets the same end
            break;
        }
        for (ssize_t i = 0; i < read && !fits; ++i) {
            const char c = chunk[static_cast<std::size_t>(i)];
            fits = c == '\n' && (previous[1] == '\n' || (previous[1] == '\r' && previous[0] == '\n'));
            previous[0] = previous[1];
            previous[1] = c;
        }
        offset += static_cast<std::uint64_t>(read);
    }
    g_mime_stream_reset(stream);
    return fits;
}

// The stream's last byte; none when it is empty or cannot be read.
std::optional<char> LastByte(GMimeStream* stream) {
    const gint64 length = g_mime_stream_length(stream);
    char last = '\n';
    const bool read = length > 0 && g_mime_stream_seek(stream, length - 1, GMIME_STREAM_SEEK_SET) >= 0 &&
                      g_mime_stream_read(stream, &last, 1) == 1;
    g_mime_stream_reset(stream);
    return read ? std::optional<char>(last) : std::nullopt;
}

// A field name is printable ASCII without a colon (RFC 5322).
bool IsFieldName(const char* name) {
    if (name == nullptr || *name == '\0') return false;
    for (const char* c = name; *c != '\0'; ++c) {
        if (*c < 33 || *c > 126 || *c == ':') return false;
    }
    return true;
}

// Why a header of the object or of anything within it would not be written
// back as it was read; empty when none. GMime keeps a header line only up to
// a NUL byte in it, and writes it back without its line end, joining the next
// line; and it writes a field without a valid name in a form it cannot read.
std::string HeaderProblem(GMimeObject* object) {
    if (object == nullptr) return {};
    GMimeHeaderList* headers = g_mime_object_get_header_list(object);
    for (int i = 0; headers != nullptr && i < g_mime_header_list_get_count(headers); ++i) {
        GMimeHeader* header = g_mime_header_list_get_header_at(headers, i);
        const char* raw = g_mime_header_get_raw_value(header);
        if (raw == nullptr || *raw == '\0' || raw[std::strlen(raw) - 1] != '\n') {
            return "a header line of it holds NUL bytes";
        }
        if (!IsFieldName(g_mime_header_get_raw_name(header))) return "a header line of it has no valid field name";
    }
    if (GMIME_IS_MESSAGE(object)) return HeaderProblem(g_mime_message_get_mime_part(GMIME_MESSAGE(object)));
    if (GMIME_IS_MESSAGE_PART(object)) {
        return HeaderProblem(GMIME_OBJECT(g_mime_message_part_get_message(GMIME_MESSAGE_PART(object))));
    }
    if (GMIME_IS_MULTIPART(object)) {
        for (int i = 0; i < g_mime_multipart_get_count(GMIME_MULTIPART(object)); ++i) {
            if (std::string problem = HeaderProblem(g_mime_multipart_get_part(GMIME_MULTIPART(object), i));
                !problem.empty()) {
                return problem;
            }
        }
    }
    return {};
}

}  // namespace

GObjectPtr<GMimeMessage> ReadMessageFile(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) throw MessageGone("it is no longer in its folder");
    if (fd < 0) throw UnreadableMessage("it cannot be opened (" + std::string(std::strerror(errno)) + ")");
    // From here the stream owns the descriptor.
    auto stream = GObjectPtr<GMimeStream>::Adopt(g_mime_stream_fs_new(fd));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) throw UnreadableMessage("it is not a regular file");
    return ReadMessageStream(std::move(stream));
}

GObjectPtr<GMimeMessage> ReadMessageStream(GObjectPtr<GMimeStream> stream) {
    // Whoever reads a message first starts the library, whichever object it is.
    EnsureMimeRuntime();
    const std::optional<char> last = LastByte(stream.get());
    if (!last) throw UnreadableMessage("it is empty");
    if (!HeaderBlockFits(stream.get())) {
        throw UnreadableMessage("its header is longer than " + std::to_string(kMaxHeaderBlock) + " bytes");
    }
    if (*last != '\n') {
        // GMime writes a last header line that had no line end as it read
        // it, and the next header would join it: read the message as ending
        // in one.
        auto whole = GObjectPtr<GMimeStream>::Adopt(g_mime_stream_cat_new());
        auto lineEnd = GObjectPtr<GMimeStream>::Adopt(g_mime_stream_mem_new_with_buffer("\n", 1));
        g_mime_stream_cat_add_source(GMIME_STREAM_CAT(whole.get()), stream.get());
        g_mime_stream_cat_add_source(GMIME_STREAM_CAT(whole.get()), lineEnd.get());
        stream = whole;
    }
    auto parser = GObjectPtr<GMimeParser>::Adopt(g_mime_parser_new_with_stream(stream.get()));
    auto message = GObjectPtr<GMimeMessage>::Adopt(g_mime_parser_construct_message(parser.get(), nullptr));
    if (!message || g_mime_message_get_mime_part(message.get()) == nullptr) {
        throw UnreadableMessage("it is not an RFC 5322 message");
    }
    if (std::string problem = HeaderProblem(GMIME_OBJECT(message.get())); !problem.empty()) {
        throw UnreadableMessage(problem);
    }
    return message;
}

}  // namespace mailstore
