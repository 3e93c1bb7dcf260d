#include "mailstore/MessageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <string>

#include "mailstore/MimeRuntime.h"

namespace mailstore {

namespace fs = std::filesystem;

namespace {

// Whether the header block (up to its empty line) is short enough to be
// held in memory.
bool HeaderBlockFits(int fd, std::uint64_t fileSize) {
    std::array<char, 64 * 1024> chunk;
    char previous[2] = {'x', 'x'};
    std::uint64_t offset = 0;
    while (offset < fileSize && offset < kMaxHeaderBlock) {
        const ssize_t read = ::pread(fd, chunk.data(), chunk.size(), static_cast<off_t>(offset));
        if (read <= 0) return true;  // the parser meets the same end
        for (ssize_t i = 0; i < read; ++i) {
            const char c = chunk[static_cast<std::size_t>(i)];
            if (c == '\n' && (previous[1] == '\n' || (previous[1] == '\r' && previous[0] == '\n'))) return true;
            previous[0] = previous[1];
            previous[1] = c;
        }
        offset += static_cast<std::uint64_t>(read);
    }
    return fileSize <= kMaxHeaderBlock;
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
    // Whoever reads a message first starts the library, whichever object it is.
    EnsureMimeRuntime();
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) throw MessageGone("it is no longer in its folder");
    if (fd < 0) throw UnreadableMessage("it cannot be opened (" + std::string(std::strerror(errno)) + ")");
    // From here the stream owns the descriptor.
    auto stream = GObjectPtr<GMimeStream>::Adopt(g_mime_stream_fs_new(fd));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) throw UnreadableMessage("it is not a regular file");
    if (info.st_size == 0) throw UnreadableMessage("it is empty");
    if (!HeaderBlockFits(fd, static_cast<std::uint64_t>(info.st_size))) {
        throw UnreadableMessage("its header is longer than " + std::to_string(kMaxHeaderBlock) + " bytes");
    }
    char last = '\n';
    if (::pread(fd, &last, 1, info.st_size - 1) == 1 && last != '\n') {
        // GMime writes a last header line that had no line end as it read
        // it, and the next header would join it: read the file as ending
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
