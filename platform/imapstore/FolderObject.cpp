#include "imapstore/FolderObject.h"

#include <utility>

#include "imapstore/ImapMessage.h"
#include "mailstore/CollectionIndex.h"
#include "mailstore/ItemObject.h"

namespace imapstore {

namespace {

using mailstore::CheckedIndex;

// A level that holds only folders has no messages.
class ItemList final : public com::ComObject<Outlook::_Items> {
public:
    ItemList(std::shared_ptr<AccountContext> account, com::ComPtr<FolderObject> folder,
             std::shared_ptr<FolderMessages> messages)
        : account_(std::move(account)), folder_(std::move(folder)), messages_(std::move(messages)) {}

    std::int32_t Count() override { return messages_ ? static_cast<std::int32_t>(messages_->Uids().size()) : 0; }
    com::ComPtr<IUnknown> Item(std::int32_t index) override {
        if (!messages_) CheckedIndex(index, 0);
        const auto& uids = messages_->Uids();
        const std::uint32_t uid = uids[CheckedIndex(index, uids.size())];
        auto item = com::MakeCom<mailstore::ItemObject>(account_, std::make_unique<ImapMessage>(messages_, uid),
                                                         com::ComPtr<IUnknown>(folder_->Identity()));
        return com::ComPtr<IUnknown>(item->Identity());
    }

private:
    std::shared_ptr<AccountContext> account_;
    com::ComPtr<FolderObject> folder_;
    std::shared_ptr<FolderMessages> messages_;
};

class FolderList final : public com::ComObject<Outlook::_Folders> {
public:
    explicit FolderList(com::ComPtr<FolderObject> folder) : folder_(std::move(folder)) {}

    std::int32_t Count() override { return static_cast<std::int32_t>(folder_->Node().children.size()); }
    com::ComPtr<Outlook::MAPIFolder> Item(std::int32_t index) override {
        const auto& children = folder_->Node().children;
        return folder_->SubFolder(children[CheckedIndex(index, children.size())]);
    }

private:
    com::ComPtr<FolderObject> folder_;
};

}  // namespace

FolderObject::FolderObject(std::shared_ptr<AccountContext> account, std::shared_ptr<const FolderNode> node,
                           std::u16string name, std::u16string path, com::ComPtr<IUnknown> parent)
    : account_(std::move(account)),
      node_(std::move(node)),
      name_(std::move(name)),
      path_(std::move(path)),
      parent_(std::move(parent)) {}

com::ComPtr<Outlook::_Items> FolderObject::Items() {
    if (!messages_ && node_->selectable) messages_ = std::make_shared<FolderMessages>(account_, node_->name, path_);
    return com::MakeCom<ItemList>(account_, com::ComPtr<FolderObject>(this), messages_);
}

com::ComPtr<Outlook::_Folders> FolderObject::Folders() {
    return com::MakeCom<FolderList>(com::ComPtr<FolderObject>(this));
}

com::ComPtr<FolderObject> FolderObject::SubFolder(const FolderNode& child) {
    return com::MakeCom<FolderObject>(account_, std::shared_ptr<const FolderNode>(node_, &child), child.shown,
                                      path_.empty() ? child.shown : path_ + u"/" + child.shown,
                                      com::ComPtr<IUnknown>(Identity()));
}

}  // namespace imapstore
