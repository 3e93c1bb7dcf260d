#include "mailstore/MessageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "base/Utf16.h"
#include "host/HostError.h"
#include "mailstore/Maildir.h"
#include "posix/system/PosixErrors.h"

namespace mailstore {

namespace fs = std::filesystem;

namespace {

std::u16string Text(const fs::path& path) { return velmora::FromUtf8(path.string()); }

// Closes the descriptor unless it was closed on purpose.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    int Close() { return ::close(std::exchange(fd_, -1)); }

private:
    int fd_;
};

// Removes a file written on the way unless it reached its place.
class PendingFile {
public:
    explicit PendingFile(fs::path path) : path_(std::move(path)) {}
    ~PendingFile() {
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    void Placed() { path_.clear(); }

private:
    fs::path path_;
};

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

void WriteDurably(const fs::path& path, GMimeMessage* message, const struct stat& original) {
    Descriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (fd.get() < 0) posix::ThrowErrnoFileError(u"Cannot create", Text(path), errno, path);
    {
        auto file = GObjectPtr<GMimeStream>::Adopt(g_mime_stream_fs_new(fd.get()));
        g_mime_stream_fs_set_owner(GMIME_STREAM_FS(file.get()), FALSE);
        auto buffered = GObjectPtr<GMimeStream>::Adopt(g_mime_stream_buffer_new(file.get(), GMIME_STREAM_BUFFER_BLOCK_WRITE));
        errno = 0;
        if (g_mime_object_write_to_stream(GMIME_OBJECT(message), nullptr, buffered.get()) < 0 ||
            g_mime_stream_flush(buffered.get()) != 0) {
            posix::ThrowErrnoFileError(u"Cannot write", Text(path), errno != 0 ? errno : EIO, path);
        }
    }
    // Readers date a Maildir message by its file's modification time.
    const timespec times[2] = {{0, UTIME_OMIT}, original.st_mtim};
    if (::fchmod(fd.get(), original.st_mode & 07777) != 0 || ::futimens(fd.get(), times) != 0 ||
        ::fsync(fd.get()) != 0 || fd.Close() != 0) {
        posix::ThrowErrnoFileError(u"Cannot write", Text(path), errno, path);
    }
}

void SyncDirectory(const fs::path& dir) {
    // Makes the rename itself durable; a file system that cannot sync a
    // directory still holds the old or the new file.
    Descriptor fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0) ::fsync(fd.get());
}

fs::path CurrentFile(const fs::path& file) {
    auto current = maildir::Locate(file);
    if (!current) {
        throw host::HostError(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
                              u"The message " + Text(file) + u" is no longer in its folder.");
    }
    return *current;
}

}  // namespace

GObjectPtr<GMimeMessage> ReadMessageFile(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
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

fs::path ReplaceMessageFile(const fs::path& file, GMimeMessage* message,
                            const std::function<void(const fs::path&)>& check) {
    const fs::path original = CurrentFile(file);
    struct stat info {};
    if (::stat(original.c_str(), &info) != 0) posix::ThrowErrnoFileError(u"Cannot read", Text(original), errno, original);

    const fs::path written = maildir::NewTemporaryFile(maildir::FolderOf(original));
    PendingFile pending(written);
    WriteDurably(written, message, info);
    check(written);

    // Another program may have renamed the message (its flags) meanwhile.
    const fs::path target = CurrentFile(original);
    if (std::rename(written.c_str(), target.c_str()) != 0) {
        posix::ThrowErrnoFileError(u"Cannot replace", Text(target), errno, target);
    }
    pending.Placed();
    SyncDirectory(target.parent_path());
    return target;
}

}  // namespace mailstore
