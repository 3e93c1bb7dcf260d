#include "mailstore/MessagePreview.h"

#include "mailstore/Gmime.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "base/Utf16.h"
#include "host/FileSystem.h"
#include "mailstore/AttachmentObjects.h"
#include "mailstore/ContentDecoding.h"
#include "mailstore/BodyText.h"
#include "mailstore/DraftMessage.h"
#include "mailstore/HtmlText.h"
#include "mailstore/LinkParts.h"
#include "mailstore/MimeRuntime.h"
#include "mailstore/MimeTree.h"
#include "mailstore/PartContent.h"
#include "posix/system/PosixErrors.h"

namespace mailstore {

namespace fs = std::filesystem;

namespace {

std::u16string Decoded(const char* text) { return text == nullptr ? std::u16string() : velmora::FromUtf8(text); }

std::u16string Addresses(GMimeMessage* message, GMimeAddressType type) {
    InternetAddressList* list = g_mime_message_get_addresses(message, type);
    if (list == nullptr) return {};
    char* text = internet_address_list_to_string(list, nullptr, FALSE);
    std::u16string result = Decoded(text);
    g_free(text);
    return result;
}

// A new native file for the user alone; removed unless committed.
class NativeFile final : public host::OutputStream {
public:
    explicit NativeFile(fs::path path)
        : path_(std::move(path)), fd_(::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600)) {
        if (fd_ < 0) Fail(u"Cannot create", errno, false);
    }
    ~NativeFile() override {
        if (fd_ >= 0) {
            ::close(fd_);
            ::unlink(path_.c_str());
        }
    }
    void Write(const void* data, std::size_t size) override {
        const auto* bytes = static_cast<const char*>(data);
        while (size > 0) {
            const ssize_t written = ::write(fd_, bytes, size);
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) Fail(u"Cannot write", written < 0 ? errno : EIO, true);
            bytes += written;
            size -= static_cast<std::size_t>(written);
        }
    }
    void Commit() override {
        if (::fsync(fd_) != 0 || ::close(std::exchange(fd_, -1)) != 0) {
            const int error = errno;
            ::unlink(path_.c_str());
            posix::ThrowErrnoFileError(u"Cannot write", velmora::FromUtf8(path_.string()), error, path_);
        }
    }

private:
    [[noreturn]] void Fail(std::u16string_view action, int error, bool created) {
        if (created) {
            ::close(std::exchange(fd_, -1));
            ::unlink(path_.c_str());
        }
        posix::ThrowErrnoFileError(action, velmora::FromUtf8(path_.string()), error, path_);
    }

    fs::path path_;
    int fd_;
};

struct FoundPart {
    std::string id;
    GMimeObject* part = nullptr;
};

void FindById(GMimeObject*, GMimeObject* part, gpointer data) {
    auto* wanted = static_cast<FoundPart*>(data);
    const char* id = g_mime_object_get_content_id(part);
    if (wanted->part == nullptr && GMIME_IS_PART(part) && id != nullptr && AsciiLower(id) == wanted->id) {
        wanted->part = part;
    }
}

}  // namespace

struct MessagePreview::Parsed {
    GObjectPtr<GMimeMessage> message;
    std::vector<com::ComPtr<AttachmentObject>> attachments;
};

MessagePreview::MessagePreview(const fs::path& file) : parsed_(std::make_unique<Parsed>()) {
    EnsureMimeRuntime();
    parsed_->message = ReadMessageOrThrow(file);
    for (GMimeObject* part : AttachmentParts(parsed_->message.get())) {
        auto attachment =
            com::MakeCom<AttachmentObject>(nullptr, parsed_->message, GObjectPtr<GMimeObject>::Share(part));
        PreviewAttachment shown;
        shown.Name = attachment->FileName();
        shown.Link = IsLinkPart(part);
        if (shown.Link) {
            shown.LinkedPath = Decoded(g_mime_object_get_content_type_parameter(part, "name"));
        } else {
            shown.Size = MeasureContent(part).Size;
        }
        attachments_.push_back(std::move(shown));
        parsed_->attachments.push_back(std::move(attachment));
    }
}

MessagePreview::~MessagePreview() = default;

std::u16string MessagePreview::Subject() const { return Decoded(g_mime_message_get_subject(parsed_->message.get())); }

std::u16string MessagePreview::From() const { return Addresses(parsed_->message.get(), GMIME_ADDRESS_TYPE_FROM); }

std::u16string MessagePreview::To() const { return Addresses(parsed_->message.get(), GMIME_ADDRESS_TYPE_TO); }

std::u16string MessagePreview::Cc() const { return Addresses(parsed_->message.get(), GMIME_ADDRESS_TYPE_CC); }

std::u16string MessagePreview::Date() const {
    return Decoded(g_mime_object_get_header(GMIME_OBJECT(parsed_->message.get()), "Date"));
}

std::u16string MessagePreview::Text() const { return ReadBody(parsed_->message.get()); }

std::optional<std::string> MessagePreview::Html() const {
    GMimeTextPart* html = BodyPart(parsed_->message.get(), "html");
    if (html == nullptr) return std::nullopt;
    char* text = g_mime_text_part_get_text(html);
    std::string result = text == nullptr ? std::string() : std::string(text);
    g_free(text);
    return result;
}

std::optional<std::string> MessagePreview::ContentById(std::string_view id, std::size_t maxBytes) const {
    FoundPart found{AsciiLower(id), nullptr};
    g_mime_message_foreach(parsed_->message.get(), FindById, &found);
    if (found.part == nullptr || StoredLength(GMIME_PART(found.part)) > maxBytes) return std::nullopt;
    return DecodedBytes(GMIME_PART(found.part));
}

void MessagePreview::SaveAttachment(std::size_t index, const fs::path& target) const {
    NativeFile file(target);
    parsed_->attachments.at(index)->SaveToStream(file);
    file.Commit();
}

}  // namespace mailstore
