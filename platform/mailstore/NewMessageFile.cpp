#include "mailstore/NewMessageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <string>

#include "base/Utf16.h"
#include "mailstore/GObjectPtr.h"
#include "mailstore/Maildir.h"
#include "mailstore/MaildirFolders.h"
#include "mailstore/WorkFiles.h"
#include "posix/system/PosixErrors.h"

namespace mailstore {

namespace fs = std::filesystem;

namespace {

std::u16string Text(const fs::path& path) { return velmora::FromUtf8(path.string()); }

void WriteFlushed(const fs::path& path, GMimeMessage* message) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) posix::ThrowErrnoFileError(u"Cannot create", Text(path), errno, path);
    auto stream = GObjectPtr<GMimeStream>::Adopt(g_mime_stream_fs_new(fd));
    auto buffered =
        GObjectPtr<GMimeStream>::Adopt(g_mime_stream_buffer_new(stream.get(), GMIME_STREAM_BUFFER_BLOCK_WRITE));
    errno = 0;
    if (g_mime_object_write_to_stream(GMIME_OBJECT(message), nullptr, buffered.get()) < 0 ||
        g_mime_stream_flush(buffered.get()) != 0 || ::fsync(fd) != 0) {
        const int error = errno != 0 ? errno : EIO;
        ::unlink(path.c_str());
        posix::ThrowErrnoFileError(u"Cannot write", Text(path), error, path);
    }
}

void SyncDirectory(const fs::path& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

fs::path InCur(const fs::path& folder, const fs::path& file, std::string_view flags) {
    return folder / "cur" / (maildir::UniqueName(file.filename().string()) + ":2," + std::string(flags));
}

// link() refuses to replace a file of the same name, as rename() would.
void LinkAndUnlink(const fs::path& from, const fs::path& to) {
    if (::link(from.c_str(), to.c_str()) != 0) posix::ThrowErrnoFileError(u"Cannot create", Text(to), errno, to);
    ::unlink(from.c_str());
    SyncDirectory(to.parent_path());
    SyncDirectory(from.parent_path());
}

}  // namespace

fs::path DeliverMessage(const fs::path& folder, GMimeMessage* message, std::string_view flags) {
    const fs::path written = maildir::NewWorkFile(folder, "");
    WriteFlushed(written, message);
    struct stat info {};
    ::stat(written.c_str(), &info);
    const fs::path target =
        folder / "cur" / maildir::NewMessageName(std::time(nullptr), static_cast<std::uint64_t>(info.st_size), flags);
    try {
        LinkAndUnlink(written, target);
    } catch (...) {
        ::unlink(written.c_str());
        throw;
    }
    return target;
}

fs::path MoveMessage(const fs::path& file, const fs::path& folder, std::string_view flags) {
    const fs::path target = InCur(folder, file, flags);
    LinkAndUnlink(file, target);
    return target;
}

fs::path EnsureTopFolder(const fs::path& root, std::string_view name) {
    const std::u16string wanted = velmora::FromUtf8(std::string(name));
    for (const auto& folder : maildir::SubFolders(root, root)) {
        if (velmora::SameText(velmora::FromUtf8(folder.filename().string()), wanted) && maildir::IsMaildir(folder)) {
            return folder;
        }
    }
    const fs::path folder = root / std::string(name);
    for (const char* sub : {"", "cur", "new", "tmp"}) {
        const fs::path dir = folder / sub;
        if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
            posix::ThrowErrnoFileError(u"Cannot create", Text(dir), errno, dir);
        }
    }
    return folder;
}

}  // namespace mailstore
