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

// A new part of the type the fields give, holding the content of the file
// part: an attached message parsed from it when the type says so. None when
// the fields give no type (GMime would go on with the type the part had) or
// one that a file's content must never become (a multipart, a link, a
// fragment of a message), or when the content holds no message.
GObjectPtr<GMimeObject> PartLike(const std::vector<StoredHeader>& headers, GMimeObject* file) {
    const auto typeText = HeaderValue(headers, "content-type");
    GMimeDataWrapper* content = GMIME_IS_PART(file) ? g_mime_part_get_content(GMIME_PART(file)) : nullptr;
    if (!typeText || content == nullptr) return {};
    auto type = GObjectPtr<GMimeContentType>::Adopt(g_mime_content_type_parse(nullptr, typeText->c_str()));
    auto part = GObjectPtr<GMimeObject>::Adopt(type ? g_mime_object_new(nullptr, type.get()) : nullptr);
    if (part && GMIME_IS_MESSAGE_PART(part.get())) {
        auto message = MessageFrom(g_mime_data_wrapper_get_stream(content));
        if (!message) return {};
        g_mime_message_part_set_message(GMIME_MESSAGE_PART(part.get()), message.get());
    } else if (part && GMIME_IS_PART(part.get()) && !GMIME_IS_MESSAGE_PARTIAL(part.get()) &&
               !g_mime_content_type_is_type(type.get(), "message", "*")) {
        g_mime_part_set_content(GMIME_PART(part.get()), content);
    } else {
        return {};
    }
    SetHeaders(part.get(), headers);
    return part;
}

constexpr std::string_view kSignedLeftAlone =
    "it is signed; --include-signed takes its attachments (and drops its signature)";

}  // namespace

AttachmentCollection::AttachmentCollection(com::ComPtr<ItemObject> item) : item_(std::move(item)) {}

std::vector<GMimeObject*> AttachmentCollection::Parts(GMimeMessage* message) {
    MessageContext& context = item_->Context();
    if (!context.IncludeSigned() && SignedContentHoldsAttachments(message)) {
        context.LeaveAsItIs(item_->EntryID(), item_->Source().Name(), kSignedLeftAlone);
    }
    return AttachmentParts(message, context.IncludeSigned());
}

std::int32_t AttachmentCollection::Count() { return static_cast<std::int32_t>(Parts(item_->Structure()).size()); }

com::ComPtr<Outlook::Attachment> AttachmentCollection::Item(std::int32_t index) {
    GMimeMessage* message = item_->Structure();
    const auto parts = Parts(message);
    GMimeObject* part = parts[CheckedIndex(index, parts.size())];
    return com::MakeCom<AttachmentObject>(item_, GObjectPtr<GMimeMessage>::Share(message),
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
    auto wrapped = AppendAttachment(message, added);
    item_->Changed();
    return com::MakeCom<AttachmentObject>(item_, GObjectPtr<GMimeMessage>::Share(message),
                                          GObjectPtr<GMimeObject>::Share(added), std::move(wrapped));
}

void AttachmentCollection::Remove(std::int32_t index) {
    const auto parts = Parts(item_->Message());
    RemovePart(item_->Message(), parts[CheckedIndex(index, parts.size())]);
    item_->Changed();
}

AttachmentObject::AttachmentObject(com::ComPtr<ItemObject> item, GObjectPtr<GMimeMessage> message,
                                   GObjectPtr<GMimeObject> part, GObjectPtr<GMimeObject> wrapped)
    : item_(std::move(item)),
      message_(std::move(message)),
      part_(std::move(part)),
      wrapped_(std::move(wrapped)),
      outline_(item_ && item_->IsOutline(message_.get())) {}

GMimeObject* AttachmentObject::Whole() {
    if (!outline_) return part_.get();
    GMimeMessage* message = item_->Message();
    // The item read the whole message only after checking that it holds the
    // outline's attachments at the same places.
    const auto place = PlaceOf(g_mime_message_get_mime_part(message_.get()), part_.get());
    GMimeObject* part = place ? PartAt(g_mime_message_get_mime_part(message), *place) : nullptr;
    if (part == nullptr) {
        throw host::HostError(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
                              u"The attachment " + FileName() + u" is no longer in its message.");
    }
    message_ = GObjectPtr<GMimeMessage>::Share(message);
    part_ = GObjectPtr<GMimeObject>::Share(part);
    outline_ = false;
    return part;
}

std::u16string AttachmentObject::DisplayName() { return FileName(); }

std::u16string AttachmentObject::FileName() { return AttachmentFileName(part_.get()); }

std::u16string AttachmentFileName(GMimeObject* part) {
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
    if (IsLinkPart(Whole())) {
        auto source = host::TheFileSystem().OpenRead(PathName());
        WriteHostFile(path, [&](host::OutputStream& file) {
            std::array<char, 64 * 1024> chunk;
            while (const std::size_t read = source->Read(chunk.data(), chunk.size())) file.Write(chunk.data(), read);
        });
        return;
    }
    WriteHostFile(path, [&](host::OutputStream& file) { decoded_ = WriteDecoded(part_.get(), file); });
}

std::u16string AttachmentObject::ContentId() {
    if (IsLinkPart(part_.get())) return velmora::FromUtf8(LinkContentId(Whole()));
    const char* contentId = NonEmpty(g_mime_object_get_content_id(part_.get()));
    return contentId == nullptr ? std::u16string() : velmora::FromUtf8(contentId);
}

void AttachmentObject::SaveToStream(host::OutputStream& stream) {
    if (!IsLinkPart(part_.get())) decoded_ = WriteDecoded(Whole(), stream);
}

const DecodedContent& AttachmentObject::Decoded() {
    if (!decoded_) decoded_ = MeasureContent(Whole());
    return *decoded_;
}

bool AttachmentObject::ContentIntact() { return IsLinkPart(part_.get()) || Decoded().Intact; }

std::u16string AttachmentObject::PartProperties() {
    Whole();
    PartDescription description;
    description.Headers = IsLinkPart(part_.get()) ? LinkedPartHeaders(part_.get()) : HeadersOf(part_.get());
    description.Place = PlaceOf(g_mime_message_get_mime_part(message_.get()), part_.get());
    return velmora::FromUtf8(FormatPartDescription(description));
}

void AttachmentObject::SetPartProperties(const std::u16string& properties) {
    const auto description = ParsePartDescription(velmora::ToUtf8(properties));
    if (!description) return;
    Whole();
    if (IsLinkPart(part_.get())) {
        DescribeLinkedPart(GMIME_PART(part_.get()), description->Headers);
    } else {
        TakeHeaders(description->Headers);
    }
    // The place as it was before Add wrapped the message's content.
    GMimeObject* origin = wrapped_ ? wrapped_.get() : g_mime_message_get_mime_part(message_.get());
    if (GMimeObject* holder = description->Place ? PartAt(origin, *description->Place) : nullptr) {
        MoveAfter(message_.get(), part_.get(), holder);
    }
    if (wrapped_) UnwrapSingle(message_.get(), wrapped_.get());
    item_->Changed();
}

void AttachmentObject::TakeHeaders(const std::vector<StoredHeader>& headers) {
    auto part = PartLike(headers, part_.get());
    if (!part) return;
    if (!IsAttachmentPart(part.get())) {
        // Fields that would make the file the message's own content keep it an attachment.
        g_mime_object_set_disposition(part.get(), GMIME_DISPOSITION_ATTACHMENT);
        SetDispositionParameter(part.get(), "filename", velmora::ToUtf8(FileName()));
    }
    ReplacePart(message_.get(), part_.get(), part.get());
    part_ = part;
    decoded_.reset();
}

std::optional<LONG> AttachmentObject::SizeProperty() {
    if (IsLinkPart(part_.get())) return 0;
    const std::optional<std::uint64_t> size = outline_ ? item_->OutlineSize(part_.get()) : Decoded().Size;
    if (!size || *size > static_cast<std::uint64_t>(std::numeric_limits<LONG>::max())) return std::nullopt;
    return static_cast<LONG>(*size);
}

LONG AttachmentObject::FlagsProperty() {
    const char* contentId = NonEmpty(g_mime_object_get_content_id(part_.get()));
    if (contentId == nullptr || IsLinkPart(part_.get())) return 0;
    const std::string wanted = AsciiLower(contentId);
    Whole();
    for (GMimeTextPart* html : HtmlBodyParts(message_.get())) {
        if (ContentIdReferences(DecodedBytes(GMIME_PART(html))).count(wanted) != 0) return kAttachMhtmlRef;
    }
    return 0;
}

}  // namespace mailstore
