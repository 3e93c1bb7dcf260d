// The save run's work for one item and one attachment.
#include <cstdlib>
#include <optional>

#include "base/Format.h"
#include "base/Utf16.h"
#include "engine/uOutlookManager.h"
#include "host/HostError.h"
#include "host/Platform.h"
#include "mapi/MAPIHelper.h"
#include "mapi/MapiGuid.h"
#include "mapi/MapiTags.h"
#include "util/ARQ_FUNC.h"
#include "util/FileContent.h"
#include "util/PathNames.h"
#include "util/SafeNames.h"

namespace velmora {

namespace {

constexpr double kSameTimeTolerance = 1.0 / 1440.0;  // one minute, in days
constexpr std::int64_t kSameSizeTolerance = 1024;
constexpr std::u16string_view kInlineImageExtensions[] = {u".bmp", u".jpg", u".jpeg", u".gif", u".png", u".tif"};

const CharSet& FileNameReplacements() {
    static const CharSet set = CharSet{u'*', u'/', u':', u';', u'?', u'\\', u'|', u'\u00A5'}.AddRange(1, 0x1F);
    return set;
}

bool IsInlineImageExtension(const std::u16string& extension) {
    for (auto candidate : kInlineImageExtensions) {
        if (extension == candidate) return true;
    }
    return false;
}

std::u16string NumberedName(const std::u16string& base, std::int64_t n) {
    return ChangeFileExt(
        base, Format(u"(%d)", {n}) + LowerCase(ExtractFileExt(base)));
}

bool EntryExists(const std::u16string& path) { return host::TheFileSystem().Find(path).has_value(); }

}  // namespace

void TOutlookManager::ProcessItem(const std::u16string& dir, TOutlookItem& item, bool remove) {
    ReportMail(item);
    bool modified = false;
    for (std::int32_t i = item.GetAttachments()->Count(); i >= 1; --i) {
        auto attachment = item.GetAttachments()->Item(i);
        const std::u16string savedFile = SaveAttachment(dir, *attachment, item);
        if (!savedFile.empty() && remove) {
            ReplaceAttachment(item, i, savedFile);
            modified = true;
        }
        // A cancelled item stays unsaved and uncounted; its files stay on disk.
        if (cancelled_) return;
    }
    if (modified) item.Save();
    ++messageCount_;
}

void TOutlookManager::ReplaceAttachment(TOutlookItem& item, std::int32_t index, const std::u16string& savedFile) {
    switch (config_->SaveAttOptions()) {
    case 1: {
        const std::u16string body = item.GetBody();
        item.SetBody(u"Attachment extracted: <file://" + savedFile + u">\r\n\r\n" + body);
        if (item.GetBody() == body) {
            throw EOutlookManagerException(u"Error changing body of message: " + item.GetSubject());
        }
        break;
    }
    case 0:
        item.GetAttachments()->Add(savedFile, Outlook::olByReference, 1, ExtractFileName(savedFile));
        break;
    default:
        break;
    }
    item.GetAttachments()->Remove(index);
}

std::u16string TOutlookManager::SaveAttachment(const std::u16string& dir, Outlook::Attachment& attachment,
                                               TOutlookItem& item) {
    std::u16string name;
    try {
        name = attachment.FileName();
    } catch (const std::exception&) {
        ReportStatus(attachment.DisplayName(), dir, asNotExtractable);
        return {};
    }
    try {
        if (OnProcessAttachment) OnProcessAttachment(*this, name);
        const std::int32_t type = attachment.Type();
        if (type == Outlook::olByReference) {
            ReportStatus(name, dir, asLink);
            return {};
        }
        if (type == Outlook::olOLE) {
            ReportStatus(name, dir, asOleObject);
            return {};
        }
        const std::u16string extension = LowerCase(ExtractFileExt(name));
        if (!config_->SaveInlineAttachments() && IsInlineAttachment(attachment) &&
            (extension.empty() || IsInlineImageExtension(extension))) {
            ReportStatus(name, dir, asEmbeddedImage);
            return {};
        }
        if (extension == u".lnk") {
            ReportStatus(name, dir, asLink);
            return {};
        }
        const std::u16string extensions = LowerCase(config_->SaveOnlyExtensions() + u";");
        if (extensions != u";" && extensions.find(extension + u";") == std::u16string::npos) return {};
        return WriteAttachment(dir, attachment, item, name);
    } catch (const std::exception& error) {
        const auto* known = dynamic_cast<const Exception*>(&error);
        const std::u16string inner = known ? known->Message() : FromUtf8(error.what());
        throw EOutlookManagerException(Format(u"Error saving attachment %s to directory %s: %s",
                                                       {attachment.DisplayName(), dir, inner}));
    }
}

// From the size filter on: choose the file, detect an identical one, write.
std::u16string TOutlookManager::WriteAttachment(const std::u16string& dir, Outlook::Attachment& attachment,
                                                TOutlookItem& item, const std::u16string& name) {
    auto& files = host::TheFileSystem();
    const std::int32_t size = GetAttachmentSize(attachment);
    const TDateTime created = item.GetCreationTime();
    const std::int32_t minimumKb = config_->SaveOnlyBiggerThan();
    if (minimumKb > 0 && size >= 0 && minimumKb > size / 1024) return {};

    if (!files.DirectoryExists(dir) && !ForceDirectories(dir, true)) {
        throw EOutlookManagerException(Format(u"Error creating directory: %s", {dir}));
    }
    std::u16string cleanName = name;
    ReplaceCharsBySpace(cleanName, FileNameReplacements());
    const std::u16string base = JoinPath(dir, MakeSafeName(cleanName));
    std::u16string target = base;

    // The attachment's bytes, once written to a temporary file to compare
    // them with an existing one, are moved into place instead of written twice.
    std::optional<TemporaryFile> written;
    if (auto existing = files.Find(target)) {
        TDateTime existingTime = 0;
        std::uint32_t existingSize = 0;
        GetFileDateTimeAndSize(target, existingTime, existingSize);
        const std::int64_t sizeDifference = static_cast<std::int64_t>(existingSize) - size;
        if (!existing->IsDirectory && std::abs(existingTime - created) <= kSameTimeTolerance &&
            std::abs(sizeDifference) < kSameSizeTolerance) {
            // Close in time and size is only a hint: the same name in the same
            // minute can hold other bytes, which must not be dropped.
            written.emplace(UnusedTemporaryName(dir));
            attachment.SaveAsFile(written->Path());
            if (SameContent(written->Path(), target)) {
                ++attachmentCount_;
                ReportStatus(target, dir, asIdenticalFile);
                return target;
            }
        }
        std::uint8_t action = config_->IfFileExists();
        if (action == 2) {
            if (OnFileExists) {
                OnFileExists(*this, attachment.FileName(), dir, action);
            } else {
                action = 0;
            }
        }
        // A directory of that name is never overwritten: the file gets a numbered name.
        if (action != 0 && !existing->IsDirectory) {
            ReportStatus(target, dir, asOverwriting);
        } else {
            for (std::int64_t n = 1; EntryExists(target); ++n) target = NumberedName(base, n);
            ReportStatus(target, dir, asRenamed);
        }
    }

    if (written) {
        if (EntryExists(target) && !files.Remove(target)) {
            throw EOutlookManagerException(Format(u"Error creating file: %s", {target}));
        }
        if (!files.Move(written->Path(), target)) {
            throw EOutlookManagerException(Format(u"Error creating file: %s", {target}));
        }
        written->Release();
    } else {
        attachment.SaveAsFile(target);
    }
    SetFileDateTime(target, created);
    ++attachmentCount_;
    ReportStatus(target, dir, asSaved);
    return target;
}

std::int32_t TOutlookManager::GetAttachmentIntProp(Outlook::Attachment& attachment, ULONG tag) {
    std::int32_t value = -1;
    try {
        if (!mapiHelper_) mapiHelper_ = std::make_unique<TMapiHelper>();
        auto mapiAttachment = attachment.MAPIOBJECT().As<IAttachment>();
        if (!mapiAttachment) return value;
        SPropTagArray tags{1, {tag}};
        ULONG count = 0;
        LPSPropValue values = nullptr;
        const HRESULT result = mapiAttachment->GetProps(&tags, 0, &count, &values);
        if (result == S_OK && values != nullptr && count >= 1) value = values[0].Value.l;
        if (values != nullptr) mapiHelper_->FreeBuffer(values);
    } catch (const std::exception&) {
        // Unreadable counts as unknown: size -1, not inline.
        value = -1;
    }
    return value;
}

std::int32_t TOutlookManager::GetAttachmentSize(Outlook::Attachment& attachment) {
    return GetAttachmentIntProp(attachment, PR_ATTACH_SIZE);
}

bool TOutlookManager::IsInlineAttachment(Outlook::Attachment& attachment) {
    return GetAttachmentIntProp(attachment, PR_ATTACH_FLAGS) > 0;
}

}  // namespace velmora
