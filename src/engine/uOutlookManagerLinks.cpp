// Link attachments after the fact: reintroduce them, re-root them, and the send check.
#include <algorithm>

#include "base/Format.h"
#include "base/Utf16.h"
#include "engine/uOutlookManager.h"
#include "host/Platform.h"
#include "util/ARQ_FUNC.h"
#include "util/FileContent.h"
#include "util/PathNames.h"

namespace velmora {

namespace {

bool Contains(const std::vector<std::u16string>& paths, const std::u16string& path) {
    return std::any_of(paths.begin(), paths.end(), [&](const auto& p) { return SameText(p, path); });
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

bool TOutlookManager::ReintroduceItem(TOutlookItem& item, bool collect, FilesToDelete& files) {
    auto& fileSystem = host::TheFileSystem();
    ReportMail(item);
    const std::int32_t countBefore = item.GetAttachments()->Count();
    for (std::int32_t i = countBefore; i >= 1; --i) {
        auto attachment = item.GetAttachments()->Item(i);
        if (!ReportUnreadableName(*attachment)) {
            if (collect) KeepLinkedFiles(item, i, files);
            return false;
        }
        const std::u16string path = attachment->PathName();
        if (!fileSystem.FileExists(path)) {
            if (attachment->Type() == Outlook::olByReference) {
                ReportStatus(path, u"", asLinkNotFound);
            } else {
                ReportStatus(attachment->FileName(), u"", asNotALink);
            }
            if (collect) KeepLinkedFiles(item, i, files);
            return false;
        }
        const std::u16string displayName = attachment->DisplayName();
        const std::int32_t position = attachment->Position();
        item.GetAttachments()->Add(path, Outlook::olByValue, position, displayName);
        item.GetAttachments()->Remove(i);
        item.Save();
        ++attachmentCount_;
        ReportStatus(ExtractFileName(path), ExtractFilePath(path), asReintroduced);
        if (collect && !Contains(files.reintroduced, path)) files.reintroduced.push_back(path);
    }
    const bool complete = item.GetAttachments()->Count() == countBefore;
    ++messageCount_;
    return complete;
}

// An abandoned item keeps its links from lastIndex down; a file one of them
// names may also have been reintroduced elsewhere, and deleting it would
// leave these links pointing at nothing.
void TOutlookManager::KeepLinkedFiles(TOutlookItem& item, std::int32_t lastIndex, FilesToDelete& files) {
    for (std::int32_t i = lastIndex; i >= 1; --i) {
        auto attachment = item.GetAttachments()->Item(i);
        if (attachment->Type() == Outlook::olByReference) files.stillLinked.push_back(attachment->PathName());
    }
}

void TOutlookManager::ReRootItem(TOutlookItem& item, const std::u16string& oldRoot, const std::u16string& newRoot) {
    auto& fileSystem = host::TheFileSystem();
    ReportMail(item);
    for (std::int32_t i = item.GetAttachments()->Count(); i >= 1; --i) {
        auto attachment = item.GetAttachments()->Item(i);
        if (!ReportUnreadableName(*attachment)) return;
        if (attachment->Type() != Outlook::olByReference) {
            ReportStatus(attachment->FileName(), u"", asNotALink);
            continue;
        }
        const std::u16string oldPath = attachment->PathName();
        const size_t rootLength = oldRoot.size();
        if (!SameText(std::u16string_view(oldPath).substr(0, rootLength), oldRoot)) {
            ReportStatus(attachment->FileName(), u"", asLinkOutsideSource);
            continue;
        }
        const std::u16string newPath = newRoot + oldPath.substr(std::min(rootLength, oldPath.size()));
        bool moved = false;
        if (fileSystem.FileExists(newPath)) {
            ReportStatus(newPath, u"", asDestinationExists);
            // Another file under the new name: re-pointing the link would
            // lose the one it names, which is still there.
            if (fileSystem.FileExists(oldPath) && !SameContent(oldPath, newPath)) continue;
        } else {
            const std::u16string newDir = ExtractFilePath(newPath);
            if (!fileSystem.DirectoryExists(newDir) && !ForceDirectories(newDir, true)) {
                throw EOutlookManagerException(Format(u"Error creating directory: %s", {newDir}));
            }
            if (!fileSystem.Move(oldPath, newPath)) {
                throw EOutlookManagerException(
                    Format(u"Error moving file from %s to %s.", {oldPath, newPath}));
            }
            moved = true;
        }
        try {
            const std::u16string displayName = attachment->DisplayName();
            const std::int32_t position = attachment->Position();
            item.GetAttachments()->Add(newPath, Outlook::olByReference, position, displayName);
            item.GetAttachments()->Remove(i);
            item.Save();
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

void TOutlookManager::RunReintroduce(bool deleteFiles, const std::function<void(FilesToDelete&)>& walk) {
    RunScope run(*this);
    FilesToDelete files;
    walk(files);
    // Only after a walk that did not fail: a cancelled one counts as finished.
    if (deleteFiles) {
        for (const auto& path : files.reintroduced) {
            if (!Contains(files.stillLinked, path)) host::TheFileSystem().Remove(path);
        }
    }
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
    RunScope run(*this);
    WalkFolderTree(folder, subFolders, [&](TOutlookItem& item) { ReRootItem(item, oldRoot, newRoot); });
}

void TOutlookManager::ReRootSelection(TMailSelection& selection, const std::u16string& oldRoot,
                                     const std::u16string& newRoot) {
    RunScope run(*this);
    for (auto& item : selection) ReRootItem(*item, oldRoot, newRoot);
}

bool TOutlookManager::HasLinkAttachments(Outlook::_MailItem* mail) {
    auto attachments = mail->Attachments();
    for (std::int32_t i = attachments->Count(); i >= 1; --i) {
        if (mail->Attachments()->Item(i)->Type() == Outlook::olByReference) return true;
    }
    return false;
}

}  // namespace velmora
