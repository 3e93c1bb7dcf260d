#include "mailstore/FolderObject.h"

#include <utility>

#include "mailstore/CollectionIndex.h"
#include "mailstore/ItemObject.h"
#include "mailstore/Maildir.h"
#include "mailstore/MaildirMessage.h"
#include "mailstore/MaildirFolders.h"
#include "mailstore/WorkFiles.h"

namespace mailstore {

namespace fs = std::filesystem;

namespace {

class ItemList final : public com::ComObject<Outlook::_Items> {
public:
    ItemList(com::ComPtr<FolderObject> folder, std::shared_ptr<const std::vector<fs::path>> files)
        : folder_(std::move(folder)), files_(std::move(files)) {}

    std::int32_t Count() override { return static_cast<std::int32_t>(files_->size()); }
    com::ComPtr<IUnknown> Item(std::int32_t index) override {
        return folder_->MessageItem((*files_)[CheckedIndex(index, files_->size())]);
    }

private:
    com::ComPtr<FolderObject> folder_;
    std::shared_ptr<const std::vector<fs::path>> files_;
};

class FolderList final : public com::ComObject<Outlook::_Folders> {
public:
    FolderList(com::ComPtr<FolderObject> folder, std::vector<fs::path> directories)
        : folder_(std::move(folder)), directories_(std::move(directories)) {}

    std::int32_t Count() override { return static_cast<std::int32_t>(directories_.size()); }
    com::ComPtr<Outlook::MAPIFolder> Item(std::int32_t index) override {
        return folder_->SubFolder(directories_[CheckedIndex(index, directories_.size())]);
    }

private:
    com::ComPtr<FolderObject> folder_;
    std::vector<fs::path> directories_;
};

}  // namespace

FolderObject::FolderObject(std::shared_ptr<MailboxContext> context, fs::path directory, std::u16string name,
                           com::ComPtr<IUnknown> parent)
    : context_(std::move(context)), directory_(std::move(directory)), name_(std::move(name)), parent_(std::move(parent)) {}

std::u16string FolderObject::Name() { return name_; }

com::ComPtr<Outlook::_Items> FolderObject::Items() {
    if (!messages_) {
        maildir::RemoveAbandonedWorkFiles(directory_);
        messages_ = std::make_shared<const std::vector<fs::path>>(maildir::MessageFiles(directory_));
    }
    return com::MakeCom<ItemList>(com::ComPtr<FolderObject>(this), messages_);
}

com::ComPtr<Outlook::_Folders> FolderObject::Folders() {
    return com::MakeCom<FolderList>(com::ComPtr<FolderObject>(this), maildir::SubFolders(context_->Root(), directory_));
}

com::ComPtr<IUnknown> FolderObject::Parent() { return parent_; }

com::ComPtr<FolderObject> FolderObject::Relisted() {
    return com::MakeCom<FolderObject>(context_, directory_, name_, parent_);
}

com::ComPtr<IUnknown> FolderObject::MessageItem(const fs::path& file) {
    auto item = com::MakeCom<ItemObject>(context_, std::make_unique<MaildirMessage>(context_, file),
                                         com::ComPtr<IUnknown>(Identity()));
    return com::ComPtr<IUnknown>(item->Identity());
}

com::ComPtr<FolderObject> FolderObject::SubFolder(const fs::path& directory) {
    return com::MakeCom<FolderObject>(context_, directory, maildir::FolderName(directory),
                                      com::ComPtr<IUnknown>(Identity()));
}

}  // namespace mailstore
