#include "mailstore/AttachmentObjects.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

#include "base/Format.h"
#include "base/Utf16.h"
#include "host/HostError.h"
#include "host/Platform.h"
#include "mailstore/CollectionIndex.h"
#include "mailstore/ContentTypes.h"
#include "mailstore/HtmlText.h"
#include "mailstore/LinkParts.h"
#include "mailstore/MapiProperties.h"
#include "mailstore/MimeTree.h"
#include "mailstore/PartContent.h"

namespace mailstore {

namespace {

constexpr LONG kAttachMhtmlRef = 0x4;  // ATT_MHTML_REF: shown by the HTML body

std::u16string FileNamePart(std::u16string_view path) {
    const auto separator = path.find_last_of(u"\\/:");
    return std::u16string(separator == std::u16string_view::npos ? path : path.substr(separator + 1));
}

const char* NonEmpty(const char* text) { return text != nullptr && *text != '\0' ? text : nullptr; }

// Writes a file through the installed file system; on failure the partial file goes.
template <class Writer>
void WriteHostFile(const std::u16string& path, const Writer& write) {
    auto& files = host::TheFileSystem();
    auto file = files.Create(path, host::CreateMode::CreateAlways);
    try {
        write(*file);
        file->Commit();
    } catch (...) {
        file.reset();
        files.Remove(path);
        throw;
    }
}

}  // namespace

AttachmentCollection::AttachmentCollection(com::ComPtr<ItemObject> item) : item_(std::move(item)) {}

std::int32_t AttachmentCollection::Count() {
    return static_cast<std::int32_t>(AttachmentParts(item_->Message()).size());
}

com::ComPtr<Outlook::Attachment> AttachmentCollection::Item(std::int32_t index) {
    GMimeMessage* message = item_->Message();
    const auto parts = AttachmentParts(message);
    GMimeObject* part = parts[CheckedIndex(index, parts.size())];
    return com::MakeCom<AttachmentObject>(GObjectPtr<GMimeMessage>::Share(message),
                                          GObjectPtr<GMimeObject>::Share(part));
}

com::ComPtr<Outlook::Attachment> AttachmentCollection::Add(const std::u16string& source, std::int32_t type,
                                                           std::int32_t, const std::u16string& displayName) {
    GMimeMessage* message = item_->Message();
    GObjectPtr<GMimePart> part;
    if (type == Outlook::olByValue) {
        part = AttachmentFromFile(source, velmora::ToUtf8(displayName.empty() ? FileNamePart(source) : displayName));
    } else if (type == Outlook::olByReference) {
        part = MakeLinkPart(source, displayName);
    } else {
        throw host::HostError(E_INVALIDARG,
                              velmora::Format(u"An attachment of type %d cannot be made from a file.", {type}));
    }
    GMimeObject* added = GMIME_OBJECT(part.get());
    AppendAttachment(message, added);
    item_->Changed();
    return com::MakeCom<AttachmentObject>(GObjectPtr<GMimeMessage>::Share(message),
                                          GObjectPtr<GMimeObject>::Share(added));
}

void AttachmentCollection::Remove(std::int32_t index) {
    GMimeMessage* message = item_->Message();
    const auto parts = AttachmentParts(message);
    RemovePart(message, parts[CheckedIndex(index, parts.size())]);
    item_->Changed();
}

AttachmentObject::AttachmentObject(GObjectPtr<GMimeMessage> message, GObjectPtr<GMimeObject> part)
    : message_(std::move(message)), part_(std::move(part)) {}

std::u16string AttachmentObject::DisplayName() { return FileName(); }

std::u16string AttachmentObject::FileName() {
    GMimeObject* part = part_.get();
    if (IsLinkPart(part)) return LinkDisplayName(part);
    const char* name = GMIME_IS_PART(part) ? NonEmpty(g_mime_part_get_filename(GMIME_PART(part))) : nullptr;
    if (name == nullptr) name = NonEmpty(g_mime_object_get_content_disposition_parameter(part, "filename"));
    if (name == nullptr) name = NonEmpty(g_mime_object_get_content_type_parameter(part, "name"));
    if (name != nullptr) return velmora::FromUtf8(name);
    if (GMIME_IS_MESSAGE_PART(part)) {
        GMimeMessage* attached = g_mime_message_part_get_message(GMIME_MESSAGE_PART(part));
        const char* subject = attached == nullptr ? nullptr : NonEmpty(g_mime_message_get_subject(attached));
        return velmora::FromUtf8(subject == nullptr ? "message" : subject) + u".eml";
    }
    GMimeContentType* type = g_mime_object_get_content_type(part);
    char* mimeType = type == nullptr ? nullptr : g_mime_content_type_get_mime_type(type);
    const std::string extension = ExtensionOfMediaType(mimeType == nullptr ? "" : mimeType);
    g_free(mimeType);
    return u"attachment" + velmora::FromUtf8(extension);
}

std::u16string AttachmentObject::PathName() { return IsLinkPart(part_.get()) ? LinkedWindowsPath(part_.get()) : u""; }

std::int32_t AttachmentObject::Position() {
    const auto parts = AttachmentParts(message_.get());
    const auto found = std::find(parts.begin(), parts.end(), part_.get());
    return found == parts.end() ? 0 : static_cast<std::int32_t>(found - parts.begin()) + 1;
}

std::int32_t AttachmentObject::Type() {
    if (IsLinkPart(part_.get())) return Outlook::olByReference;
    if (GMIME_IS_MESSAGE_PART(part_.get())) return Outlook::olEmbeddeditem;
    return Outlook::olByValue;
}

com::ComPtr<IUnknown> AttachmentObject::MAPIOBJECT() {
    auto properties = com::MakeCom<MapiProperties>(com::ComPtr<AttachmentObject>(this));
    return com::ComPtr<IUnknown>(properties->Identity());
}

void AttachmentObject::SaveAsFile(const std::u16string& path) {
    if (IsLinkPart(part_.get())) {
        auto source = host::TheFileSystem().OpenRead(PathName());
        WriteHostFile(path, [&](host::OutputStream& file) {
            std::array<char, 64 * 1024> chunk;
            while (const std::size_t read = source->Read(chunk.data(), chunk.size())) file.Write(chunk.data(), read);
        });
        return;
    }
    WriteHostFile(path, [&](host::OutputStream& file) { WriteDecoded(part_.get(), file); });
}

std::u16string AttachmentObject::ContentId() {
    const char* contentId = NonEmpty(g_mime_object_get_content_id(part_.get()));
    return contentId == nullptr ? std::u16string() : velmora::FromUtf8(contentId);
}

void AttachmentObject::SaveToStream(host::OutputStream& stream) {
    if (!IsLinkPart(part_.get())) WriteDecoded(part_.get(), stream);
}

bool AttachmentObject::ContentIntact() { return true; }

std::u16string AttachmentObject::PartProperties() { return {}; }

void AttachmentObject::SetPartProperties(const std::u16string&) {}

std::optional<LONG> AttachmentObject::SizeProperty() {
    if (IsLinkPart(part_.get())) return 0;
    if (!size_) size_ = DecodedSize(part_.get());
    if (*size_ > static_cast<std::uint64_t>(std::numeric_limits<LONG>::max())) return std::nullopt;
    return static_cast<LONG>(*size_);
}

LONG AttachmentObject::FlagsProperty() {
    const char* contentId = NonEmpty(g_mime_object_get_content_id(part_.get()));
    if (contentId == nullptr || IsLinkPart(part_.get())) return 0;
    const std::string wanted = AsciiLower(contentId);
    for (GMimeTextPart* html : HtmlBodyParts(message_.get())) {
        if (ContentIdReferences(DecodedBytes(GMIME_PART(html))).count(wanted) != 0) return kAttachMhtmlRef;
    }
    return 0;
}

}  // namespace mailstore
