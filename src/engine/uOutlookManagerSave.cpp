// The save run's work for one item and one attachment.
#include <algorithm>
#include <cstdlib>
#include <optional>

#include "base/Format.h"
#include "base/Sha256.h"
#include "engine/WriterThread.h"
#include "base/Utf16.h"
#include "engine/FileCatalog.h"
#include "engine/SaveRun.h"
#include "engine/uOutlookManager.h"
#include "host/HostError.h"
#include "host/Platform.h"
#include "mapi/MAPIHelper.h"
#include "mapi/MapiGuid.h"
#include "mapi/MapiTags.h"
#include "util/ARQ_FUNC.h"
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

// Failures of the target itself end the run; anything else concerns one attachment.
bool IsTargetFailure(const host::HostError& error) {
    for (const LONG code : {ERROR_DISK_FULL, ERROR_HANDLE_DISK_FULL, ERROR_ACCESS_DENIED, ERROR_WRITE_PROTECT,
                            ERROR_PATH_NOT_FOUND}) {
        if (error.Code() == HRESULT_FROM_WIN32(code)) return true;
    }
    return false;
}

// One attachment that cannot be written (content the host cannot give, a
// name the file system refuses); the run goes on without it.
struct AttachmentNotWritable {
    std::u16string reason;
};

// Runs a host call on the attachment or its file: failures of the target
// itself stay errors that end the run, the others concern this attachment.
template <class Call>
auto Guarded(const Call& call) {
    try {
        return call();
    } catch (const host::HostError& error) {
        if (IsTargetFailure(error)) throw;
        throw AttachmentNotWritable{error.Message()};
    }
}

// The attachment in a new temporary file, hashed on the way by the writer
// thread while the host decodes what comes next.
TWrittenAttachment WriteTemporary(TWriterThread& writer, host::Directory& directory, Outlook::Attachment& attachment,
                                  bool durable) {
    TWrittenAttachment written;
    written.file = directory.CreateTemporary();
    TPipelinedHashingStream hashing(writer, *written.file);
    attachment.SaveToStream(hashing);
    hashing.Commit();
    written.file->Finish(durable);
    written.size = hashing.Size();
    written.sha256 = hashing.Digest();
    return written;
}

// Whether the name is base itself or one of its numbered names (base(n).ext),
// letter case aside: where an earlier save of the same attachment went.
bool IsNameOf(const std::u16string& base, const std::u16string& name) {
    const std::u16string wanted = LowerCase(base);
    const std::u16string found = LowerCase(name);
    if (found == wanted) return true;
    const std::u16string extension = LowerCase(ExtractFileExt(base));
    const std::u16string stem = wanted.substr(0, wanted.size() - extension.size());
    if (found.size() < stem.size() + extension.size() + 3 || found.compare(0, stem.size(), stem) != 0 ||
        found.compare(found.size() - extension.size(), extension.size(), extension) != 0) {
        return false;
    }
    const std::u16string_view number =
        std::u16string_view(found).substr(stem.size(), found.size() - stem.size() - extension.size());
    if (number.size() < 3 || number.front() != u'(' || number.back() != u')') return false;
    for (const char16_t c : number.substr(1, number.size() - 2)) {
        if (c < u'0' || c > u'9') return false;
    }
    return true;
}

// Whether the regular file of that name in the directory holds exactly these bytes.
bool HoldsSameBytes(host::Directory& directory, const std::u16string& name, std::uint64_t size,
                    const std::string& sha256) {
    try {
        host::EntryStatus status;
        auto stream = directory.OpenRead(name, status);
        if (status.Size != size) return false;
        std::uint64_t read = 0;
        return HashStream(*stream, read) == sha256 && read == size;
    } catch (const host::HostError&) {
        return false;
    }
}

}  // namespace

void TOutlookManager::RunSave(const std::u16string& dir, bool remove, const std::function<void()>& walk) {
    RunScope run(*this, {dir});
    saveRun_ = std::make_unique<SaveRun>(*catalog_, nameSpace_.Get(), dir, remove);
    try {
        walk();
        saveRun_->batch.Flush();
    } catch (...) {
        saveRun_->batch.FlushAfterFailure();
        saveRun_.reset();
        throw;
    }
    saveRun_.reset();
}

void TOutlookManager::ProcessItem(const std::u16string& dir, TOutlookItem& item, std::unique_ptr<TOutlookItem> owned,
                                  bool remove) {
    auto& batch = saveRun_->batch;
    saveRun_->itemId.reset();
    saveRun_->linksSeen.clear();
    ReportMail(item);
    bool modified = false;
    try {
        for (std::int32_t i = item.GetAttachments()->Count(); i >= 1; --i) {
            auto attachment = item.GetAttachments()->Item(i);
            const std::u16string savedFile = SaveAttachment(dir, *attachment, item);
            if (!savedFile.empty() && remove) {
                if (attachment->ContentIntact()) {
                    ReplaceAttachment(item, i, *attachment, savedFile);
                    modified = true;
                } else {
                    // What was written may fall short of what readers show: the item keeps it.
                    ReportStatus(savedFile, dir, asContentDamaged);
                }
            }
            // A cancelled item stays unsaved and uncounted; its files stay on disk.
            if (cancelled_) {
                batch.ItemLeft();
                return;
            }
        }
    } catch (...) {
        batch.ItemLeft();
        throw;
    }
    ForgetLostLinks(item);
    batch.ItemDone(item, std::move(owned), modified);
    ++messageCount_;
    if (batch.Full()) batch.Flush();
}

void TOutlookManager::ReplaceAttachment(TOutlookItem& item, std::int32_t index, Outlook::Attachment& attachment,
                                        const std::u16string& savedFile) {
    host::CatalogEntry& entry = saveRun_->batch.Pending().back();
    entry.PartProperties = attachment.PartProperties();
    switch (config_->SaveAttOptions()) {
    case 1: {
        const std::u16string body = item.GetBody();
        item.SetBody(u"Attachment extracted: <" + host::TheFileSystem().FileUri(savedFile) + u">\r\n\r\n" + body);
        if (item.GetBody() == body) {
            throw EOutlookManagerException(u"Error changing body of message: " + item.GetSubject());
        }
        entry.Reference = host::CatalogReference::Body;
        break;
    }
    case 0: {
        auto link = item.GetAttachments()->Add(savedFile, Outlook::olByReference, 1, ExtractFileName(savedFile));
        link->SetPartProperties(entry.PartProperties);
        entry.Reference = host::CatalogReference::Link;
        entry.LinkId = catalog_->LinkIdentity(item, *link);
        break;
    }
    default:
        entry.Reference = host::CatalogReference::None;
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
            saveRun_->linksSeen.push_back(catalog_->LinkIdentity(item, attachment));
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

// From the size filter on: the size is read only when the filter needs it.
std::u16string TOutlookManager::WriteAttachment(const std::u16string& dir, Outlook::Attachment& attachment,
                                                TOutlookItem& item, const std::u16string& name) {
    const std::int32_t minimumKb = config_->SaveOnlyBiggerThan();
    if (minimumKb > 0) {
        const std::int32_t size = GetAttachmentSize(attachment);
        if (size >= 0 && minimumKb > size / 1024) return {};
    }
    const TDateTime created = item.GetCreationTime();
    try {
        return PlaceAttachment(dir, attachment, item, name, created);
    } catch (const AttachmentNotWritable& failure) {
        ReportStatus(failure.reason, dir, asNotWritable);
        return {};
    }
}

// Writes the attachment under a temporary name, then decides: an identical
// file already there, the name itself, the existing file overwritten, or a
// numbered name. Nothing is ever truncated in place.
std::u16string TOutlookManager::PlaceAttachment(const std::u16string& dir, Outlook::Attachment& attachment,
                                                TOutlookItem& item, const std::u16string& name, TDateTime created) {
    TTargetDirectory* target = nullptr;
    try {
        target = &saveRun_->directories.Open(dir);
    } catch (const host::HostError& error) {
        if (IsTargetFailure(error) && error.Code() != HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)) throw;
        throw EOutlookManagerException(Format(u"Error creating directory: %s", {dir}));
    }
    host::Directory& directory = target->Handle();
    std::u16string cleanName = name;
    ReplaceCharsBySpace(cleanName, FileNameReplacements());
    const std::u16string base = target->Fitting(MakeSafeName(cleanName));

    auto& batch = saveRun_->batch;
    TWrittenAttachment written =
        Guarded([&] { return WriteTemporary(saveRun_->writer, directory, attachment, false); });
    const std::u16string& directoryKey = saveRun_->DirectoryKey(*catalog_, dir);
    for (const auto& entry : batch.FindIdentical(written.sha256, directoryKey)) {
        if (entry.Size != written.size || !IsNameOf(base, ExtractFileName(entry.Path)) ||
            catalog_->Check(entry).State != TSavedFileState::Same) {
            continue;
        }
        ++attachmentCount_;
        ReportStatus(entry.Path, dir, asIdenticalFile);
        host::EntryStatus status;
        status.Device = entry.Device;
        status.FileId = entry.FileId;
        status.LastWriteTime = entry.LastWriteTime;
        RecordSaved(item, dir, ExtractFileName(entry.Path), name, written, status, true);
        return entry.Path;
    }

    std::u16string placed;
    if (const auto stored = target->Stored(base)) {
        const std::u16string existingPath = JoinPath(dir, *stored);
        const host::EntryStatus existing = directory.Status(*stored);
        const bool isFile = existing.Kind == host::EntryKind::File;
        if (isFile) {
            TDateTime existingTime = 0;
            std::uint32_t existingSize = 0;
            GetFileDateTimeAndSize(existingPath, existingTime, existingSize);
            const std::int64_t sizeDifference =
                static_cast<std::int64_t>(existingSize) - static_cast<std::int64_t>(written.size);
            // Close in time and size is only a hint: the same name in the same
            // minute can hold other bytes, which must not be dropped.
            if (std::abs(existingTime - created) <= kSameTimeTolerance && std::abs(sizeDifference) < kSameSizeTolerance &&
                HoldsSameBytes(directory, *stored, written.size, written.sha256)) {
                ++attachmentCount_;
                ReportStatus(existingPath, dir, asIdenticalFile);
                RecordSaved(item, dir, *stored, name, written, existing, false);
                return existingPath;
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
        // Only a file is overwritten: never a directory or a symbolic link,
        // and never a file that holds another item's saved attachment.
        bool overwrite = action != 0 && isFile;
        if (overwrite && catalog_->NamedByOtherItem(catalog_->PathKey(existingPath), item.GetEntryID())) {
            ReportStatus(existingPath, dir, asTrackedFileKept);
            overwrite = false;
        }
        if (overwrite) {
            ReportStatus(existingPath, dir, asOverwriting);
            if (Guarded([&] { return written.file->Place(*stored, true); })) placed = *stored;
        }
    } else if (Guarded([&] { return written.file->Place(base, false); })) {
        placed = base;
    } else {
        target->Taken(base);  // another writer took the name meanwhile
    }
    // The name is told before the file takes it; another writer taking it
    // first (exclusive creation tells) moves the file on to the next number.
    while (placed.empty()) {
        const std::u16string candidate = target->FreeNumberedName(base);
        target->Taken(candidate);
        ReportStatus(JoinPath(dir, candidate), dir, asRenamed);
        if (Guarded([&] { return written.file->Place(candidate, false); })) placed = candidate;
    }
    target->Taken(placed);
    if (const auto stamp = StampOf(created)) directory.SetLastWriteTime(placed, *stamp);
    const std::u16string path = JoinPath(dir, placed);
    RecordSaved(item, dir, placed, name, written, directory.Status(placed), false);
    batch.AddFile(std::move(written.file), directory, written.size);
    ++attachmentCount_;
    ReportStatus(path, dir, asSaved);
    return path;
}

// Entries of links that the item, visited whole, no longer holds: a run
// that ended before the item was rewritten recorded them, or the link was
// taken away since. Their files stay, as copies nothing needs.
void TOutlookManager::ForgetLostLinks(TOutlookItem& item) {
    auto& run = *saveRun_;
    if (!run.itemId) run.itemId = item.GetEntryID();
    auto& store = catalog_->Store();
    for (const auto& entry : store.FindByItem(*run.itemId)) {
        if (entry.Reference != host::CatalogReference::Link) continue;
        if (std::find(run.linksSeen.begin(), run.linksSeen.end(), entry.LinkId) != run.linksSeen.end()) continue;
        if (!store.InTransaction()) store.Begin();
        store.Remove(entry.Id);
    }
}

// Records the file for the item in progress. A file found again for an
// attachment that stays in its item needs no second entry.
void TOutlookManager::RecordSaved(TOutlookItem& item, const std::u16string& dir, const std::u16string& fileName,
                                  const std::u16string& originalName, const TWrittenAttachment& written,
                                  const host::EntryStatus& status, bool alreadyRecorded) {
    auto& run = *saveRun_;
    if (alreadyRecorded && !run.batch.Removing()) return;
    if (!run.itemId) run.itemId = item.GetEntryID();
    host::CatalogEntry entry;
    entry.Path = JoinPath(dir, fileName);
    entry.DirectoryKey = run.DirectoryKey(*catalog_, dir);
    entry.PathKey = entry.DirectoryKey + (entry.DirectoryKey.back() == u'\\' ? u"" : u"\\") + LowerCase(fileName);
    entry.Size = written.size;
    entry.Sha256 = written.sha256;
    entry.Device = status.Device;
    entry.FileId = status.FileId;
    entry.LastWriteTime = status.LastWriteTime;
    entry.SavedAt = host::TheSystem().Now();
    entry.ItemId = *run.itemId;
    entry.Subject = item.GetSubject();
    entry.OriginalName = originalName;
    run.batch.Record(std::move(entry));
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
