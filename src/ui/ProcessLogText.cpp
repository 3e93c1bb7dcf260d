#include "ui/ProcessLogText.h"

#include "base/Format.h"

namespace velmora {

std::u16string FolderLine(std::u16string_view folderName) {
    return Format(u"Processing folder %s", {folderName});
}

std::u16string MailLine(std::u16string_view subject) { return Format(u" => Processing mail %s", {subject}); }

std::u16string AttachmentLine(std::u16string_view fileName) {
    return Format(u"   => Processing att. %s...", {fileName});
}

std::u16string AttachmentStatusText(std::u16string_view fileName, std::u16string_view directory,
                                    TAttachmentStatus kind) {
    switch (kind) {
        case asSaved: return Format(u"Attachment saved as %s.", {fileName});
        case asLink: return u"Attachments is link. Skipping.";
        case asOleObject: return u"Attachments is an OLE Object. Skipping.";
        case asNotExtractable: return Format(u"Attachments %s is not extractable. Skipping.", {fileName});
        case asEmbeddedImage: return u"Attachments is an embedded image. Skipping.";
        case asIdenticalFile: return Format(u"Identical file found on %s. Skipping.", {directory});
        case asRenamed: return Format(u"Attachment renamed to %s.", {fileName});
        case asOverwriting: return Format(u"Attachment already exists on folder %s. Overwriting.", {fileName});
        case asNotALink: return u"Attachments is not a link. Skipping.";
        case asReintroduced: return u"Attachments reintroduced.";
        case asLinkNotFound: return Format(u"Attachment link not found (%s). Skipping.", {fileName});
        case asLinkOutsideSource: return u"Attachment link doesn't point to the source directory. Skipping.";
        case asLinkMoved: return Format(u"Attachment link moved to %s.", {directory});
        case asDestinationExists: return u"Destination file already exists, won't move the file.";
        case asLinkNotMade: return Format(u"Attachment link not made by Velmora (%s), left as it is.", {fileName});
        case asLinkFileChanged: return Format(u"Linked file changed since it was saved (%s), left as it is.", {fileName});
        case asContentDamaged: return u"Attachment's encoding is damaged: left in the message.";
        case asNotWritable: return Format(u"Attachment could not be written (%s). Skipping.", {fileName});
        case asTrackedFileKept:
            return Format(u"%s holds the saved attachment of another message, won't overwrite it.", {fileName});
        case asLinkAdopted: return Format(u"Attachment link adopted (%s).", {fileName});
    }
    return {};
}

std::u16string CountersText(std::int32_t folders, std::int32_t messages, std::int32_t attachments) {
    return Format(u"  %d folders processed\r\n  %d messages processed\r\n  %d attachements saved",
                  {folders, messages, attachments});
}

std::u16string FileExistsQuestion(std::u16string_view fileName, std::u16string_view directory) {
    return Format(
        u"The file \"%s\" already exists on the folder\r\n%s\r\nDo you want to overwrite it? (No will rename the "
        u"file adding a number to the end)",
        {fileName, directory});
}

}  // namespace velmora
