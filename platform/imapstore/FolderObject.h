#pragma once

#include <memory>
#include <string>

#include "com/ComObject.h"
#include "host/Outlook.h"
#include "imapstore/AccountContext.h"
#include "imapstore/FolderMessages.h"
#include "imapstore/FolderTree.h"

namespace imapstore {

// One folder of the account, or a level of its hierarchy that holds only
// folders (and the account's top). Its items are its messages as the server
// listed them when they were first asked for, kept for the object's life, so
// that a walk over them lists once; its parent is the folder above or, at
// the top, the namespace.
class FolderObject final : public com::ComObject<Outlook::MAPIFolder> {
public:
    // node lives as long as tree holds it; path: the folder's path as shown ("Mail/Inbox").
    FolderObject(std::shared_ptr<AccountContext> account, std::shared_ptr<const FolderNode> node, std::u16string name,
                 std::u16string path, com::ComPtr<IUnknown> parent);

    std::u16string Name() override { return name_; }
    com::ComPtr<Outlook::_Items> Items() override;
    com::ComPtr<Outlook::_Folders> Folders() override;
    com::ComPtr<IUnknown> Parent() override { return parent_; }

    const FolderNode& Node() const { return *node_; }
    // The folder object of one of the node's children.
    com::ComPtr<FolderObject> SubFolder(const FolderNode& child);

private:
    std::shared_ptr<AccountContext> account_;
    std::shared_ptr<const FolderNode> node_;
    std::u16string name_;
    std::u16string path_;
    com::ComPtr<IUnknown> parent_;
    std::shared_ptr<FolderMessages> messages_;
};

}  // namespace imapstore
