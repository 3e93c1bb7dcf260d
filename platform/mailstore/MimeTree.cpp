#include "mailstore/MimeTree.h"

#include <functional>

#include "mailstore/GObjectPtr.h"
#include "mailstore/LinkParts.h"

namespace mailstore {

namespace {

bool IsEncryptedContent(GMimeObject* part) {
    return HasType(part, "application", "pkcs7-mime") || HasType(part, "application", "x-pkcs7-mime") ||
           HasType(part, "application", "pgp-encrypted");
}

bool NonEmpty(const char* text) { return text != nullptr && *text != '\0'; }

// Visits the leaves (and attached messages) that belong to the message
// itself; those of signed content only with enterSigned.
void VisitLeaves(GMimeObject* object, const std::function<void(GMimeObject*)>& visit, bool enterSigned = true) {
    if (object == nullptr || GMIME_IS_MULTIPART_ENCRYPTED(object)) return;
    if (GMIME_IS_MULTIPART_SIGNED(object)) {
        if (!enterSigned) return;
        VisitLeaves(g_mime_multipart_get_part(GMIME_MULTIPART(object), GMIME_MULTIPART_SIGNED_CONTENT), visit);
        return;
    }
    if (GMIME_IS_MULTIPART(object)) {
        GMimeMultipart* multipart = GMIME_MULTIPART(object);
        for (int i = 0; i < g_mime_multipart_get_count(multipart); ++i) {
            VisitLeaves(g_mime_multipart_get_part(multipart, i), visit, enterSigned);
        }
        return;
    }
    visit(object);
}

// Signed and encrypted content takes no part in: what changes there breaks
// what protects it.
bool IsProtected(GMimeObject* object) {
    return GMIME_IS_MULTIPART_SIGNED(object) || GMIME_IS_MULTIPART_ENCRYPTED(object);
}

GMimeMultipart* ParentOf(GMimeObject* root, GMimeObject* part) {
    if (root == nullptr || !GMIME_IS_MULTIPART(root)) return nullptr;
    GMimeMultipart* multipart = GMIME_MULTIPART(root);
    if (g_mime_multipart_index_of(multipart, part) >= 0) return multipart;
    for (int i = 0; i < g_mime_multipart_get_count(multipart); ++i) {
        if (GMimeMultipart* found = ParentOf(g_mime_multipart_get_part(multipart, i), part)) return found;
    }
    return nullptr;
}

// The innermost multipart/signed that holds the part, if any.
GMimeMultipart* SignedAround(GMimeObject* top, GMimeObject* part) {
    for (GMimeMultipart* outer = ParentOf(top, part); outer != nullptr; outer = ParentOf(top, GMIME_OBJECT(outer))) {
        if (GMIME_IS_MULTIPART_SIGNED(outer)) return outer;
    }
    return nullptr;
}

void SetEmptyContent(GMimeMessage* message) {
    auto text = GObjectPtr<GMimeTextPart>::Adopt(g_mime_text_part_new_with_subtype("plain"));
    g_mime_text_part_set_text(text.get(), "");
    g_mime_message_set_mime_part(message, GMIME_OBJECT(text.get()));
}

// A multipart whose parts change gets a new boundary of GMime's making. The
// old one may also stand in its parts (an attached message that is a
// multipart of the same boundary, never closed), or there was none; then the
// message would not read back with the parts it was written with. One read
// without a boundary keeps what it held as its preamble.
GMimeMultipart* Changing(GMimeMultipart* multipart) {
    g_mime_multipart_set_boundary(multipart, nullptr);
    return multipart;
}

// The top-level multipart/mixed, made around the message's content when
// the content is anything else.
GMimeMultipart* TopLevelMixed(GMimeMessage* message) {
    GMimeObject* top = g_mime_message_get_mime_part(message);
    if (top != nullptr && GMIME_IS_MULTIPART(top) && HasType(top, "multipart", "mixed")) {
        return Changing(GMIME_MULTIPART(top));
    }
    auto mixed = GObjectPtr<GMimeMultipart>::Adopt(g_mime_multipart_new_with_subtype("mixed"));
    if (top != nullptr) g_mime_multipart_add(mixed.get(), top);
    g_mime_message_set_mime_part(message, GMIME_OBJECT(mixed.get()));
    return mixed.get();
}

// Whether anything within the object is content rather than an attachment.
bool HoldsContent(GMimeObject* object) {
    if (GMIME_IS_MULTIPART_ENCRYPTED(object)) return true;
    if (!GMIME_IS_MULTIPART(object)) return !IsAttachmentPart(object);
    GMimeMultipart* multipart = GMIME_MULTIPART(object);
    for (int i = 0; i < g_mime_multipart_get_count(multipart); ++i) {
        if (HoldsContent(g_mime_multipart_get_part(multipart, i))) return true;
    }
    return false;
}

// Attachments never decide: removing them leaves the main part as it was.
GMimeObject* MainPartOf(GMimeObject* object) {
    if (object == nullptr || !GMIME_IS_MULTIPART(object) || GMIME_IS_MULTIPART_ENCRYPTED(object)) return object;
    GMimeMultipart* multipart = GMIME_MULTIPART(object);
    const int count = g_mime_multipart_get_count(multipart);
    if (HasType(object, "multipart", "alternative")) {
        for (int i = 0; i < count; ++i) {
            GMimeObject* candidate = MainPartOf(g_mime_multipart_get_part(multipart, i));
            if (IsCalendar(candidate)) return candidate;
        }
        return count > 0 ? MainPartOf(g_mime_multipart_get_part(multipart, 0)) : object;
    }
    for (int i = 0; i < count; ++i) {
        GMimeObject* child = g_mime_multipart_get_part(multipart, i);
        if (HoldsContent(child)) return MainPartOf(child);
    }
    return object;
}

// Puts text beside the calendar as the alternative a reader shows instead.
void AddTextAlternative(GMimeMessage* message, GMimeObject* calendar, GMimeObject* text) {
    GMimeObject* top = g_mime_message_get_mime_part(message);
    GMimeMultipart* parent = ParentOf(top, calendar);
    if (parent != nullptr && HasType(GMIME_OBJECT(parent), "multipart", "alternative")) {
        g_mime_multipart_insert(Changing(parent), 0, text);
        return;
    }
    auto alternative = GObjectPtr<GMimeMultipart>::Adopt(g_mime_multipart_new_with_subtype("alternative"));
    g_mime_multipart_add(alternative.get(), text);
    g_mime_multipart_add(alternative.get(), calendar);
    if (parent == nullptr) {
        g_mime_message_set_mime_part(message, GMIME_OBJECT(alternative.get()));
        return;
    }
    GMimeObject* replaced = g_mime_multipart_replace(Changing(parent), g_mime_multipart_index_of(parent, calendar),
                                                     GMIME_OBJECT(alternative.get()));
    if (replaced != nullptr) g_object_unref(replaced);
}

}  // namespace

bool HasType(GMimeObject* part, const char* type, const char* subtype) {
    GMimeContentType* contentType = g_mime_object_get_content_type(part);
    return contentType != nullptr && g_mime_content_type_is_type(contentType, type, subtype);
}

bool IsCalendar(GMimeObject* part) { return part != nullptr && HasType(part, "text", "calendar"); }

bool IsContactCard(GMimeObject* part) {
    return HasType(part, "text", "vcard") || HasType(part, "text", "x-vcard") || HasType(part, "text", "directory");
}

GMimeObject* MainPart(GMimeMessage* message) { return MainPartOf(g_mime_message_get_mime_part(message)); }

bool IsAttachmentPart(GMimeObject* part) {
    if (IsEncryptedContent(part)) return false;
    if (HasType(part, "message", "external-body")) return IsLinkPart(part);
    if (GMIME_IS_MESSAGE_PARTIAL(part)) return false;
    const char* disposition = g_mime_object_get_disposition(part);
    if (disposition != nullptr && g_ascii_strcasecmp(disposition, GMIME_DISPOSITION_ATTACHMENT) == 0) return true;
    return NonEmpty(g_mime_object_get_content_disposition_parameter(part, "filename")) ||
           NonEmpty(g_mime_object_get_content_type_parameter(part, "name"));
}

std::vector<GMimeObject*> AttachmentParts(GMimeMessage* message) { return AttachmentParts(message, true); }

std::vector<GMimeObject*> AttachmentParts(GMimeMessage* message, bool includeSigned) {
    std::vector<GMimeObject*> parts;
    VisitLeaves(
        g_mime_message_get_mime_part(message),
        [&](GMimeObject* part) {
            if (IsAttachmentPart(part)) parts.push_back(part);
        },
        includeSigned);
    return parts;
}

bool SignedContentHoldsAttachments(GMimeMessage* message) {
    return AttachmentParts(message, true).size() != AttachmentParts(message, false).size();
}

std::optional<std::vector<int>> PlaceOf(GMimeObject* top, GMimeObject* part) {
    if (top == part) return std::vector<int>{};
    if (top == nullptr || !GMIME_IS_MULTIPART(top)) return std::nullopt;
    GMimeMultipart* multipart = GMIME_MULTIPART(top);
    for (int i = 0; i < g_mime_multipart_get_count(multipart); ++i) {
        if (auto below = PlaceOf(g_mime_multipart_get_part(multipart, i), part)) {
            below->insert(below->begin(), i);
            return below;
        }
    }
    return std::nullopt;
}

GMimeObject* PartAt(GMimeObject* top, const std::vector<int>& place) {
    GMimeObject* part = top;
    for (const int index : place) {
        if (part == nullptr || !GMIME_IS_MULTIPART(part) || index < 0 ||
            index >= g_mime_multipart_get_count(GMIME_MULTIPART(part))) {
            return nullptr;
        }
        part = g_mime_multipart_get_part(GMIME_MULTIPART(part), index);
    }
    return part;
}

bool MoveAfter(GMimeMessage* message, GMimeObject* part, GMimeObject* holder) {
    GMimeObject* top = g_mime_message_get_mime_part(message);
    GMimeMultipart* parent = ParentOf(top, holder);
    for (GMimeMultipart* outer = parent; outer != nullptr; outer = ParentOf(top, GMIME_OBJECT(outer))) {
        if (IsProtected(GMIME_OBJECT(outer))) {
            holder = GMIME_OBJECT(outer);
            parent = ParentOf(top, holder);
        }
    }
    GMimeMultipart* current = ParentOf(top, part);
    if (parent == nullptr || current == nullptr || holder == part || IsProtected(GMIME_OBJECT(current))) return false;
    const auto kept = GObjectPtr<GMimeObject>::Share(part);
    g_mime_multipart_remove(Changing(current), part);
    g_mime_multipart_insert(Changing(parent), g_mime_multipart_index_of(parent, holder) + 1, part);
    if (g_mime_multipart_get_count(current) == 0) RemovePart(message, GMIME_OBJECT(current));
    return true;
}

GMimeTextPart* BodyPart(GMimeMessage* message, const char* subtype) {
    GMimeTextPart* found = nullptr;
    VisitLeaves(g_mime_message_get_mime_part(message), [&](GMimeObject* part) {
        if (found == nullptr && GMIME_IS_TEXT_PART(part) && HasType(part, "text", subtype) && !IsAttachmentPart(part)) {
            found = GMIME_TEXT_PART(part);
        }
    });
    return found;
}

std::vector<GMimeTextPart*> HtmlBodyParts(GMimeMessage* message) {
    std::vector<GMimeTextPart*> parts;
    VisitLeaves(g_mime_message_get_mime_part(message), [&](GMimeObject* part) {
        if (GMIME_IS_TEXT_PART(part) && HasType(part, "text", "html") && !IsAttachmentPart(part)) {
            parts.push_back(GMIME_TEXT_PART(part));
        }
    });
    return parts;
}

void RemovePart(GMimeMessage* message, GMimeObject* part) {
    // Signed content that loses a part no longer matches its signature: the
    // signature goes, and the content stands where the signed part stood.
    while (GMimeMultipart* signedPart = SignedAround(g_mime_message_get_mime_part(message), part)) {
        const auto content = GObjectPtr<GMimeObject>::Share(
            g_mime_multipart_get_part(signedPart, GMIME_MULTIPART_SIGNED_CONTENT));
        ReplacePart(message, GMIME_OBJECT(signedPart), content.get());
    }
    GMimeObject* top = g_mime_message_get_mime_part(message);
    if (part == top) {
        SetEmptyContent(message);
        return;
    }
    GMimeMultipart* parent = ParentOf(top, part);
    if (parent == nullptr) return;
    g_mime_multipart_remove(Changing(parent), part);
    if (g_mime_multipart_get_count(parent) == 0) RemovePart(message, GMIME_OBJECT(parent));
}

GObjectPtr<GMimeObject> AppendAttachment(GMimeMessage* message, GMimeObject* part) {
    auto former = GObjectPtr<GMimeObject>::Share(g_mime_message_get_mime_part(message));
    GMimeMultipart* mixed = TopLevelMixed(message);
    g_mime_multipart_add(mixed, part);
    return GMIME_OBJECT(mixed) == former.get() ? GObjectPtr<GMimeObject>() : former;
}

void ReplacePart(GMimeMessage* message, GMimeObject* part, GMimeObject* replacement) {
    GMimeObject* top = g_mime_message_get_mime_part(message);
    if (part == top) {
        g_mime_message_set_mime_part(message, replacement);
        return;
    }
    GMimeMultipart* parent = ParentOf(top, part);
    if (parent == nullptr) return;
    GObject* replaced =
        G_OBJECT(g_mime_multipart_replace(Changing(parent), g_mime_multipart_index_of(parent, part), replacement));
    if (replaced != nullptr) g_object_unref(replaced);
}

void UnwrapSingle(GMimeMessage* message, GMimeObject* wrapped) {
    GMimeObject* top = g_mime_message_get_mime_part(message);
    if (top == wrapped || !HasType(top, "multipart", "mixed")) return;
    GMimeMultipart* mixed = GMIME_MULTIPART(top);
    if (g_mime_multipart_get_count(mixed) == 1 && g_mime_multipart_get_part(mixed, 0) == wrapped) {
        g_mime_message_set_mime_part(message, wrapped);
    }
}

void InsertBodyPart(GMimeMessage* message, GMimeObject* part) {
    GMimeObject* main = MainPart(message);
    if (IsCalendar(main) && !GMIME_IS_MULTIPART(main)) {
        AddTextAlternative(message, main, part);
    } else {
        g_mime_multipart_insert(TopLevelMixed(message), 0, part);
    }
}

}  // namespace mailstore
