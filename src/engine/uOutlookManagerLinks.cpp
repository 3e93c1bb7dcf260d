// Link attachments after the fact: reintroduce them, re-root them, adopt
// old ones, and the send check. A link is followed only when the catalog of
// saved files knows it and its file is still the file that was saved: a
// path read from a message is data, never an instruction.
#include <algorithm>

#include "base/Format.h"
#include "base/Utf16.h"
#include "engine/FileCatalog.h"
#include "engine/uOutlookManager.h"
#include "host/HostError.h"
#include "host/Platform.h"
#include "util/ARQ_FUNC.h"
#include "util/PathNames.h"

namespace velmora {

namespace {

std::u16string DirectoryOf(std::u16string_view path) {
    std::u16string directory = ExtractFilePath(path);
    if (directory.size() > 3 && directory.back() == u'\\') directory.pop_back();
    return directory;
}

// The directory of the file at path, made with its missing parents: the
// root the user named is made where the path leads, everything below it
// through the directory above, never through a symbolic link.
std::unique_ptr<host::Directory> MakeDirectoryFor(const std::u16string& root, const std::u16string& path) {
    auto& files = host::TheFileSystem();
    const auto failed = [&] {
        return EOutlookManagerException(Format(u"Error creating directory: %s", {ExtractFilePath(path)}));
    };
    if (!files.DirectoryExists(root) && !ForceDirectories(root, true)) throw failed();
    try {
        auto current = files.OpenDirectory(root);
        std::u16string rest;
        if (!IsBelow(DirectoryOf(path), root, &rest)) return current;
        std::size_t start = 1;
        while (start <= rest.size()) {
            const std::size_t end = std::min(rest.find(u'\\', start), rest.size());
            if (end > start) current = current->Child(rest.substr(start, end - start), true);
            start = end + 1;
        }
        return current;
    } catch (const host::HostError&) {
        throw failed();
    }
}

// Whether a regular file at the path holds the recorded bytes.
bool HoldsEntry(TFileCatalog& catalog, const host::CatalogEntry& entry, const std::u16string& path) {
    host::CatalogEntry there = entry;
    there.Path = path;
    return catalog.Check(there).State == TSavedFileState::Same;
}

}  // namespace

template <class ItemWalk>
void TOutlookManager::WalkFolderTree(Outlook::MAPIFolder* folder, bool subFolders, const ItemWalk& processItem) {
    if (folder == nullptr) return;
    EnterFolder(*folder);
    for (std::int32_t i = folder->Items()->Count(); i >= 1; --i) {
        if (auto item = GetFolderItem(folder, i); item && item->Initialized()) processItem(*item);
        if (cancelled_) return;
    }
    if (!subFolders) return;
    for (std::int32_t j = folder->Folders()->Count(); j >= 1; --j) {
        WalkFolderTree(folder->Folders()->Item(j).Get(), subFolders, processItem);
        if (cancelled_) return;
    }
}

// Fires OnProcessAttachment; a name that cannot be read, or a handler that
// fails, abandons the item. Returns whether the item goes on.
bool TOutlookManager::ReportUnreadableName(Outlook::Attachment& attachment) {
    if (!OnProcessAttachment) return true;
    try {
        OnProcessAttachment(*this, attachment.FileName());
        return true;
    } catch (const std::exception&) {
        ReportStatus(attachment.DisplayName(), u"", asNotExtractable);
        return false;
    }
}

std::optional<host::CatalogEntry> TOutlookManager::KnownLink(TOutlookItem& item, Outlook::Attachment& link) {
    auto entry = catalog_->FindLink(catalog_->LinkIdentity(item, link));
    // A copy of the link travels with a copy of its message: it must still name the file recorded.
    if (entry && catalog_->PathKey(link.PathName()) != entry->PathKey) return std::nullopt;
    return entry;
}

// Every attachment of the item is visited: an ordinary attachment or a link
// that cannot be followed is reported and left, and the links before it
// still come back (an item whose attachments were put back in their places
// by an earlier run, or that holds attachments too small to save, would
// otherwise keep its links for ever).
bool TOutlookManager::ReintroduceItem(TOutlookItem& item, bool collect, FilesToDelete& files) {
    ReportMail(item);
    const std::int32_t countBefore = item.GetAttachments()->Count();
    bool complete = true;
    for (std::int32_t i = countBefore; i >= 1; --i) {
        auto attachment = item.GetAttachments()->Item(i);
        if (!ReportUnreadableName(*attachment)) return false;
        if (attachment->Type() != Outlook::olByReference) {
            ReportStatus(attachment->FileName(), u"", asNotALink);
            continue;
        }
        const std::u16string path = attachment->PathName();
        const auto entry = KnownLink(item, *attachment);
        if (!entry) {
            ReportStatus(path, u"", asLinkNotMade);
            complete = false;
            continue;
        }
        const TSavedFileCheck check = catalog_->Check(*entry);
        if (check.State == TSavedFileState::Missing) {
            ReportStatus(path, u"", asLinkNotFound);
            complete = false;
            continue;
        }
        if (check.State == TSavedFileState::Changed) {
            ReportStatus(path, u"", asLinkFileChanged);
            complete = false;
            continue;
        }
        // The part comes back under the name it had, unless the link was given another since.
        std::u16string displayName = attachment->DisplayName();
        if (displayName == ExtractFileName(entry->Path) && !entry->OriginalName.empty()) {
            displayName = entry->OriginalName;
        }
        const std::int32_t position = attachment->Position();
        auto added = item.GetAttachments()->Add(entry->Path, Outlook::olByValue, position, displayName);
        added->SetPartProperties(entry->PartProperties);
        item.GetAttachments()->Remove(i);
        item.Save();
        // A run that is to delete the file marks it, so that a run after it
        // deletes it should this one end before it could.
        if (collect) {
            host::CatalogEntry back = *entry;
            back.Reference = host::CatalogReference::Reintroduced;
            back.LinkId.clear();
            catalog_->Store().Update(back);
        } else {
            catalog_->Store().Remove(entry->Id);
        }
        ++attachmentCount_;
        ReportStatus(ExtractFileName(entry->Path), ExtractFilePath(entry->Path), asReintroduced);
        const bool listed = std::any_of(files.begin(), files.end(), [&](const auto& f) { return f.key == entry->PathKey; });
        if (collect && !listed) files.push_back({entry->Path, entry->PathKey, check.Status});
    }
    complete = complete && item.GetAttachments()->Count() == countBefore;
    ++messageCount_;
    return complete;
}

// A file goes only when no item depends on it any more (a link in another
// item, in this walk or not), and only while it is the file read: the files
// of this walk, and those that runs before it put back but ended before
// they could delete.
void TOutlookManager::DeleteReintroducedFiles(const FilesToDelete& files) {
    FilesToDelete candidates = files;
    catalog_->Store().ForEach([&](const host::CatalogEntry& entry) {
        if (entry.Reference != host::CatalogReference::Reintroduced) return;
        if (std::any_of(candidates.begin(), candidates.end(), [&](const auto& f) { return f.key == entry.PathKey; })) {
            return;
        }
        const TSavedFileCheck check = catalog_->Check(entry);
        if (check.State == TSavedFileState::Same) candidates.push_back({entry.Path, entry.PathKey, check.Status});
        if (check.State == TSavedFileState::Missing) catalog_->Store().Remove(entry.Id);
    });
    for (const auto& file : candidates) {
        if (catalog_->Needed(file.key)) continue;
        try {
            auto directory = host::TheFileSystem().OpenDirectory(DirectoryOf(file.path));
            if (directory->Remove(ExtractFileName(file.path), &file.status)) catalog_->Forget(file.key);
        } catch (const host::HostError&) {
            // A file that will not go stays, as a copy.
        }
    }
}

void TOutlookManager::ReRootItem(TOutlookItem& item, const std::u16string& oldRoot, const std::u16string& newRoot) {
    auto& fileSystem = host::TheFileSystem();
    ReportMail(item);
    const std::u16string canonicalOldRoot = fileSystem.Canonical(oldRoot);
    const std::u16string normalNewRoot = NormalizePath(newRoot);
    for (std::int32_t i = item.GetAttachments()->Count(); i >= 1; --i) {
        auto attachment = item.GetAttachments()->Item(i);
        if (!ReportUnreadableName(*attachment)) return;
        if (attachment->Type() != Outlook::olByReference) {
            ReportStatus(attachment->FileName(), u"", asNotALink);
            continue;
        }
        const auto entry = KnownLink(item, *attachment);
        if (!entry) {
            ReportStatus(attachment->PathName(), u"", asLinkNotMade);
            continue;
        }
        // Both sides resolved: "..", "." and symbolic links never carry a file from elsewhere.
        std::u16string rest;
        if (!IsBelow(catalog_->ResolvedPath(entry->Path), canonicalOldRoot, &rest)) {
            ReportStatus(attachment->FileName(), u"", asLinkOutsideSource);
            continue;
        }
        const std::u16string oldPath = entry->Path;
        const std::u16string newPath = normalNewRoot + rest;
        const TSavedFileCheck check = catalog_->Check(*entry);
        bool moved = false;
        if (check.State == TSavedFileState::Changed) {
            ReportStatus(oldPath, u"", asLinkFileChanged);
            continue;
        }
        if (check.State == TSavedFileState::Missing) {
            // Moved by a re-root that ended before its link was re-pointed, or gone.
            if (!HoldsEntry(*catalog_, *entry, newPath)) {
                ReportStatus(oldPath, u"", asLinkNotFound);
                continue;
            }
            ReportStatus(newPath, u"", asDestinationExists);
        } else if (fileSystem.Find(newPath)) {
            ReportStatus(newPath, u"", asDestinationExists);
            // Another file under the new name: re-pointing the link would
            // lose the one it names, which is still there.
            if (!HoldsEntry(*catalog_, *entry, newPath)) continue;
        } else {
            auto target = MakeDirectoryFor(normalNewRoot, newPath);
            bool done = false;
            try {
                done = fileSystem.OpenDirectory(DirectoryOf(oldPath))
                           ->Rename(ExtractFileName(oldPath), *target, ExtractFileName(newPath), false);
            } catch (const host::HostError&) {
                done = false;
            }
            if (!done) throw EOutlookManagerException(Format(u"Error moving file from %s to %s.", {oldPath, newPath}));
            moved = true;
        }
        try {
            RepointLink(item, i, *attachment, *entry, newPath);
        } catch (...) {
            // The link still names the old path: put the file back there so it stays reachable.
            if (moved) fileSystem.Move(newPath, oldPath);
            throw;
        }
        ++attachmentCount_;
        ReportStatus(ExtractFileName(newPath), ExtractFilePath(newPath), asLinkMoved);
    }
    ++messageCount_;
}

// Replaces the link at index by a new one to path, standing for the same
// part. The new link's entry is recorded before the item is saved and the
// old one (when there is one) removed after, so a run killed in between
// leaves a link that the catalog still knows.
void TOutlookManager::RepointLink(TOutlookItem& item, std::int32_t index, Outlook::Attachment& link,
                                  const host::CatalogEntry& entry, const std::u16string& path) {
    const std::u16string displayName = link.DisplayName();
    const std::int32_t position = link.Position();
    auto added = item.GetAttachments()->Add(path, Outlook::olByReference, position, displayName);
    added->SetPartProperties(link.PartProperties());
    host::CatalogEntry moved = entry;
    moved.Path = path;
    moved.PathKey = catalog_->PathKey(path);
    moved.DirectoryKey = catalog_->DirectoryKey(path);
    moved.LinkId = catalog_->LinkIdentity(item, *added);
    auto& store = catalog_->Store();
    store.Add(moved);
    item.GetAttachments()->Remove(index);
    item.Save();
    if (entry.Id != 0) store.Remove(entry.Id);
}

void TOutlookManager::AdoptItem(TOutlookItem& item, const std::u16string& root) {
    auto& fileSystem = host::TheFileSystem();
    ReportMail(item);
    const std::u16string canonicalRoot = fileSystem.Canonical(root);
    for (std::int32_t i = item.GetAttachments()->Count(); i >= 1; --i) {
        auto attachment = item.GetAttachments()->Item(i);
        if (!ReportUnreadableName(*attachment)) return;
        if (attachment->Type() != Outlook::olByReference) {
            ReportStatus(attachment->FileName(), u"", asNotALink);
            continue;
        }
        if (KnownLink(item, *attachment)) continue;
        const std::u16string path = NormalizePath(attachment->PathName());
        if (!IsBelow(catalog_->ResolvedPath(path), canonicalRoot)) {
            ReportStatus(attachment->FileName(), u"", asLinkOutsideSource);
            continue;
        }
        host::CatalogEntry entry;
        entry.Path = path;
        host::EntryStatus status;
        try {
            auto stream = fileSystem.OpenDirectory(DirectoryOf(path))->OpenRead(ExtractFileName(path), status);
            entry.Sha256 = HashStream(*stream, entry.Size);
        } catch (const host::HostError& error) {
            const bool missing = error.Code() == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ||
                                 error.Code() == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
            ReportStatus(path, u"", missing ? asLinkNotFound : asLinkFileChanged);
            continue;
        }
        entry.Device = status.Device;
        entry.FileId = status.FileId;
        entry.LastWriteTime = status.LastWriteTime;
        entry.SavedAt = host::TheSystem().Now();
        entry.Reference = host::CatalogReference::Link;
        entry.ItemId = item.GetEntryID();
        entry.Subject = item.GetSubject();
        entry.OriginalName = attachment->DisplayName();
        entry.PartProperties = attachment->PartProperties();
        // The link is made anew, so that it carries an identity of its own.
        RepointLink(item, i, *attachment, entry, path);
        ++attachmentCount_;
        ReportStatus(path, u"", asLinkAdopted);
    }
    ++messageCount_;
}

void TOutlookManager::RunReintroduce(bool deleteFiles, const std::function<void(FilesToDelete&)>& walk) {
    RunScope run(*this, {});
    FilesToDelete files;
    walk(files);
    // Only after a walk that did not fail: a cancelled one counts as finished.
    if (deleteFiles) DeleteReintroducedFiles(files);
}

void TOutlookManager::ReintroduceFolder(Outlook::MAPIFolder* folder, bool subFolders, bool deleteFiles) {
    RunReintroduce(deleteFiles, [&](FilesToDelete& files) {
        WalkFolderTree(folder, subFolders, [&](TOutlookItem& item) { ReintroduceItem(item, deleteFiles, files); });
    });
}

void TOutlookManager::ReintroduceSelection(TMailSelection& selection, bool deleteFiles) {
    RunReintroduce(deleteFiles, [&](FilesToDelete& files) {
        for (auto& item : selection) ReintroduceItem(*item, deleteFiles, files);
    });
}

bool TOutlookManager::ReintroduceMail(TOutlookMailItem& mail, bool deleteFiles) {
    bool complete = false;
    RunReintroduce(deleteFiles, [&](FilesToDelete& files) { complete = ReintroduceItem(mail, deleteFiles, files); });
    return complete;
}

void TOutlookManager::ReRootFolder(Outlook::MAPIFolder* folder, bool subFolders, const std::u16string& oldRoot,
                                   const std::u16string& newRoot) {
    RunScope run(*this, {oldRoot, newRoot});
    WalkFolderTree(folder, subFolders, [&](TOutlookItem& item) { ReRootItem(item, oldRoot, newRoot); });
}

void TOutlookManager::ReRootSelection(TMailSelection& selection, const std::u16string& oldRoot,
                                     const std::u16string& newRoot) {
    RunScope run(*this, {oldRoot, newRoot});
    for (auto& item : selection) ReRootItem(*item, oldRoot, newRoot);
}

void TOutlookManager::AdoptFolder(Outlook::MAPIFolder* folder, bool subFolders, const std::u16string& root) {
    RunScope run(*this, {root});
    WalkFolderTree(folder, subFolders, [&](TOutlookItem& item) { AdoptItem(item, root); });
}

void TOutlookManager::AdoptSelection(TMailSelection& selection, const std::u16string& root) {
    RunScope run(*this, {root});
    for (auto& item : selection) AdoptItem(*item, root);
}

bool TOutlookManager::HasLinkAttachments(Outlook::_MailItem* mail) {
    auto attachments = mail->Attachments();
    for (std::int32_t i = attachments->Count(); i >= 1; --i) {
        if (mail->Attachments()->Item(i)->Type() == Outlook::olByReference) return true;
    }
    return false;
}

}  // namespace velmora
