#include "mailstore/MessageRewrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <utility>

#include "base/Utf16.h"
#include "host/HostError.h"
#include "mailstore/GObjectPtr.h"
#include "mailstore/Maildir.h"
#include "mailstore/WorkFiles.h"
#include "posix/system/PosixErrors.h"

namespace mailstore {

namespace fs = std::filesystem;

namespace {

// Another program renaming the message over and over is not waited for
// without end.
constexpr int kMaxAttempts = 100;

std::u16string Text(const fs::path& path) { return velmora::FromUtf8(path.string()); }

std::u16string Number(std::uint64_t value) { return velmora::FromUtf8(std::to_string(value)); }

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
    int Release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

// Removes the work file whatever happens: once the new message has its name
// in cur/, that name holds the content.
class WorkFileRemoval {
public:
    explicit WorkFileRemoval(fs::path path) : path_(std::move(path)) {}
    ~WorkFileRemoval() { ::unlink(path_.c_str()); }
    WorkFileRemoval(const WorkFileRemoval&) = delete;
    WorkFileRemoval& operator=(const WorkFileRemoval&) = delete;

private:
    fs::path path_;
};

[[noreturn]] void ThrowGone(const fs::path& file) {
    throw host::HostError(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
                          u"The message " + Text(file) + u" is no longer in its folder.");
}

fs::path CurrentFile(const fs::path& file) {
    auto current = maildir::Locate(file);
    if (!current) ThrowGone(file);
    return *current;
}

// A server reading the mailbox as the mailbox's user must be able to read
// the new file: it gets the old one's owner and group, or nothing is written.
void KeepOwner(int fd, const struct stat& original, const fs::path& message) {
    struct stat written {};
    if (::fstat(fd, &written) != 0) posix::ThrowErrnoFileError(u"Cannot write", Text(message), errno, message);
    if (written.st_uid == original.st_uid && written.st_gid == original.st_gid) return;
    if (::fchown(fd, original.st_uid, original.st_gid) == 0) return;
    if (errno != EPERM) posix::ThrowErrnoFileError(u"Cannot write", Text(message), errno, message);
    throw host::HostError(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED),
                          u"The message " + Text(message) + u" belongs to another user (user " +
                              Number(original.st_uid) + u", group " + Number(original.st_gid) +
                              u"), whom this process cannot give a rewritten message; it was left as it was. Run "
                              u"Velmora as that user or as root.");
}

// Writes the message into the new work file with the original's owner,
// permissions and times, and returns its size; with durable, flushes and
// closes it.
std::uint64_t WriteWork(Descriptor& fd, const fs::path& path, GMimeMessage* message, const struct stat& original,
                        const fs::path& messageFile, bool durable) {
    KeepOwner(fd.get(), original, messageFile);
    {
        auto file = GObjectPtr<GMimeStream>::Adopt(g_mime_stream_fs_new(fd.get()));
        g_mime_stream_fs_set_owner(GMIME_STREAM_FS(file.get()), FALSE);
        auto buffered =
            GObjectPtr<GMimeStream>::Adopt(g_mime_stream_buffer_new(file.get(), GMIME_STREAM_BUFFER_BLOCK_WRITE));
        errno = 0;
        if (g_mime_object_write_to_stream(GMIME_OBJECT(message), nullptr, buffered.get()) < 0 ||
            g_mime_stream_flush(buffered.get()) != 0) {
            posix::ThrowErrnoFileError(u"Cannot write", Text(path), errno != 0 ? errno : EIO, path);
        }
    }
    // Readers date a Maildir message by its file's modification time. The
    // mode comes after the owner: a change of owner clears set-id bits.
    const timespec times[2] = {{0, UTIME_OMIT}, original.st_mtim};
    struct stat written {};
    if (::fchmod(fd.get(), original.st_mode & 07777) != 0 || ::futimens(fd.get(), times) != 0 ||
        ::fstat(fd.get(), &written) != 0 || (durable && (::fsync(fd.get()) != 0 || fd.Close() != 0))) {
        posix::ThrowErrnoFileError(u"Cannot write", Text(path), errno, path);
    }
    return static_cast<std::uint64_t>(written.st_size);
}

// Gives the work file a fresh name in cur/ with the flags the message has now.
fs::path LinkIntoCur(const fs::path& work, const fs::path& current, std::int64_t seconds, std::uint64_t size) {
    const std::string flags = maildir::Flags(current.filename().string());
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        const fs::path target = maildir::FolderOf(current) / "cur" / maildir::NewMessageName(seconds, size, flags);
        if (::link(work.c_str(), target.c_str()) == 0) return target;
        if (errno != EEXIST) posix::ThrowErrnoFileError(u"Cannot create", Text(target), errno, target);
    }
    throw host::HostError(HRESULT_FROM_WIN32(ERROR_FILE_EXISTS),
                          u"No free name for the new message file in " + Text(current.parent_path()) + u".");
}

// The new file goes again: the old message stays as it is.
void Withdraw(const fs::path& target) {
    ::unlink(target.c_str());
    maildir::SyncDirectory(target.parent_path());
}

// Removes the old file, following it when another program renames it
// meanwhile; the flags it has then pass to the new file. With sync, the
// removal is made durable.
RewrittenFile RemoveOld(fs::path current, fs::path target, bool sync) {
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        if (::unlink(current.c_str()) == 0) {
            if (sync) maildir::SyncDirectory(current.parent_path());
            return {std::move(current), std::move(target)};
        }
        const int error = errno;
        if (error != ENOENT) {
            Withdraw(target);
            posix::ThrowErrnoFileError(u"Cannot remove", Text(current), error, current);
        }
        const auto moved = maildir::Locate(current);
        if (!moved) {
            Withdraw(target);
            ThrowGone(current);
        }
        const std::string flags = maildir::Flags(moved->filename().string());
        if (flags != maildir::Flags(target.filename().string())) {
            fs::path flagged = target.parent_path() / (maildir::UniqueName(target.filename().string()) + ":2," + flags);
            if (::rename(target.c_str(), flagged.c_str()) == 0) target = std::move(flagged);
        }
        current = *moved;
    }
    Withdraw(target);
    throw host::HostError(E_FAIL, u"Another program keeps renaming the message " + Text(current) +
                                      u"; it was left as it was.");
}

}  // namespace

RewrittenFile RewriteMessageFile(const fs::path& file, GMimeMessage* message,
                                 const std::function<void(const fs::path&)>& check) {
    fs::path current = CurrentFile(file);
    const fs::path folder = maildir::FolderOf(current);
    maildir::RemoveAbandonedWorkFiles(folder);
    struct stat info {};
    if (::stat(current.c_str(), &info) != 0) {
        if (errno == ENOENT) ThrowGone(current);
        posix::ThrowErrnoFileError(u"Cannot read", Text(current), errno, current);
    }
    const std::string name = current.filename().string();
    const fs::path work = maildir::NewWorkFile(folder, maildir::UniqueName(name));
    Descriptor fd(::open(work.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (fd.get() < 0) posix::ThrowErrnoFileError(u"Cannot create", Text(work), errno, work);
    const WorkFileRemoval removal(work);
    const std::uint64_t size = WriteWork(fd, work, message, info, current, true);
    check(work);

    current = CurrentFile(current);
    const std::int64_t seconds = maildir::DeliveryTime(name).value_or(info.st_mtim.tv_sec);
    const fs::path target = LinkIntoCur(work, current, seconds, size);
    // The new message is durable before the old one goes.
    maildir::SyncDirectory(target.parent_path());
    return RemoveOld(current, target, true);
}

PreparedRewrite::PreparedRewrite(const fs::path& file, GMimeMessage* message,
                                 const std::function<void(const fs::path&)>& check) {
    current_ = CurrentFile(file);
    const fs::path folder = maildir::FolderOf(current_);
    struct stat info {};
    if (::stat(current_.c_str(), &info) != 0) {
        if (errno == ENOENT) ThrowGone(current_);
        posix::ThrowErrnoFileError(u"Cannot read", Text(current_), errno, current_);
    }
    const std::string name = current_.filename().string();
    work_ = maildir::NewWorkFile(folder, maildir::UniqueName(name));
    Descriptor fd(::open(work_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (fd.get() < 0) posix::ThrowErrnoFileError(u"Cannot create", Text(work_), errno, work_);
    try {
        size_ = WriteWork(fd, work_, message, info, current_, false);
        check(work_);
    } catch (...) {
        ::unlink(work_.c_str());
        throw;
    }
    seconds_ = maildir::DeliveryTime(name).value_or(info.st_mtim.tv_sec);
    fd_ = fd.Release();
}

PreparedRewrite::~PreparedRewrite() {
    if (fd_ >= 0) ::close(fd_);
    // Once linked, the new name holds the content; unlinked, nothing needs it.
    if (!work_.empty()) ::unlink(work_.c_str());
}

PreparedRewrite::PreparedRewrite(PreparedRewrite&& other) noexcept
    : work_(std::exchange(other.work_, {})),
      current_(std::move(other.current_)),
      target_(std::move(other.target_)),
      seconds_(other.seconds_),
      size_(other.size_),
      fd_(std::exchange(other.fd_, -1)) {}

void PreparedRewrite::Flush() {
    if (::fdatasync(fd_) != 0) posix::ThrowErrnoFileError(u"Cannot write", Text(work_), errno, work_);
}

void PreparedRewrite::Link() {
    current_ = CurrentFile(current_);
    target_ = LinkIntoCur(work_, current_, seconds_, size_);
}

RewrittenFile PreparedRewrite::RemoveOld() { return mailstore::RemoveOld(current_, target_, false); }

fs::path PreparedRewrite::CurDirectory() const { return target_.parent_path(); }

fs::path PreparedRewrite::OldDirectory() const { return current_.parent_path(); }

}  // namespace mailstore
