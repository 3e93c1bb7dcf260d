#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "com/ComObject.h"
#include "host/Outlook.h"
#include "mailstore/MailboxContext.h"

namespace mailstore {

// One folder of the mailbox: a Maildir directory, or a level of the tree
// that only holds folders (see MaildirFolders.h). Its parent is the folder
// above or, for the store's root, the namespace, which is no folder.
class FolderObject final : public com::ComObject<Outlook::MAPIFolder> {
public:
    FolderObject(std::shared_ptr<MailboxContext> context, std::filesystem::path directory, std::u16string name,
                 com::ComPtr<IUnknown> parent);

    std::u16string Name() override;
    // The message files sorted by name. The list is taken when the folder
    // object first lists its items and kept for the object's life: the
    // engine asks for the items once per item, and listing a directory of
    // thousands of messages each time would make a walk quadratic. An item of
    // a message saved since is the message's new file. Listing
    // first cleans up after Velmora's writers that died in the folder, so
    // that a message they were replacing is not listed twice.
    com::ComPtr<Outlook::_Items> Items() override;
    // The sub-folders sorted by name, listed anew for every call.
    com::ComPtr<Outlook::_Folders> Folders() override;
    com::ComPtr<IUnknown> Parent() override;

    const std::filesystem::path& Directory() const { return directory_; }
    // The same folder as a new object, which lists its items anew.
    com::ComPtr<FolderObject> Relisted();
    // An item object for a message file of this folder.
    com::ComPtr<IUnknown> MessageItem(const std::filesystem::path& file);
    // The folder object of a directory that is a sub-folder.
    com::ComPtr<FolderObject> SubFolder(const std::filesystem::path& directory);

private:
    std::shared_ptr<MailboxContext> context_;
    std::filesystem::path directory_;
    std::u16string name_;
    com::ComPtr<IUnknown> parent_;
    std::shared_ptr<const std::vector<std::filesystem::path>> messages_;
};

}  // namespace mailstore
