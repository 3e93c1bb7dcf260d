#include "ui/StatusText.h"

#include "base/Format.h"

namespace velmora {

std::u16string AttachmentStatusText(const std::u16string& fileName, const std::u16string& directory,
                                    TAttachmentStatus status) {
    switch (status) {
        case asSaved:
            return Format(u"Attachment saved as %s.", {fileName});
        case asLink:
            return u"Attachments is link. Skipping.";
        case asOleObject:
            return u"Attachments is an OLE Object. Skipping.";
        case asNotExtractable:
            return Format(u"Attachments %s is not extractable. Skipping.", {fileName});
        case asEmbeddedImage:
            return u"Attachments is an embedded image. Skipping.";
        case asIdenticalFile:
            return Format(u"Identical file found on %s. Skipping.", {directory});
        case asRenamed:
            return Format(u"Attachment renamed to %s.", {fileName});
        case asOverwriting:
            return Format(u"Attachment already exists on folder %s. Overwriting.", {fileName});
        case asNotALink:
            return u"Attachments is not a link. Skipping.";
        case asReintroduced:
            return u"Attachments reintroduced.";
        case asLinkNotFound:
            return Format(u"Attachment link not found (%s). Skipping.", {fileName});
        case asLinkOutsideSource:
            return u"Attachment link doesn't point to the source directory. Skipping.";
        case asLinkMoved:
            return Format(u"Attachment link moved to %s.", {directory});
        case asDestinationExists:
            return u"Destination file already exists, won't move the file.";
    }
    return {};
}

}  // namespace velmora
