#include "sim/MapiFolder.h"

#include <utility>

namespace sim {

MapiFolder::MapiFolder(std::u16string name)
    : Injectable({"Name", "Items", "Folders", "Parent"}),
      name_(std::move(name)),
      items_(com::MakeCom<ItemList>()),
      folders_(com::MakeCom<FolderList>()) {}

MapiFolder::~MapiFolder() {
    for (const auto& item : items_->Elements()) item->Orphan(Identity());
    for (const auto& folder : folders_->Elements()) folder->Orphan(Identity());
}

std::u16string MapiFolder::Name() {
    Enter("Name");
    return name_;
}

com::ComPtr<Outlook::_Items> MapiFolder::Items() {
    Enter("Items");
    return items_;
}

com::ComPtr<Outlook::_Folders> MapiFolder::Folders() {
    Enter("Folders");
    return folders_;
}

com::ComPtr<IUnknown> MapiFolder::Parent() {
    Enter("Parent");
    return com::ComPtr<IUnknown>(parent_);
}

MapiFolder& MapiFolder::Folder(std::u16string_view name) {
    for (const auto& folder : folders_->Elements()) {
        if (folder->FolderName() == name) return *folder;
    }
    auto folder = com::MakeCom<MapiFolder>(std::u16string(name));
    folder->PlaceUnder(Identity());
    folders_->Append(folder);
    return *folder;
}

Item& MapiFolder::Add(ItemKind kind, std::u16string subject) {
    auto item = com::MakeCom<Item>(kind, std::move(subject));
    item->PlaceIn(Identity());
    items_->Append(item);
    return *item;
}

Item& MapiFolder::ItemAt(int index) {
    CheckIndex(index, items_->Elements().size());
    return *items_->Elements()[static_cast<std::size_t>(index) - 1];
}

void MapiFolder::Orphan(IUnknown* parent) {
    if (parent_ == parent) parent_ = nullptr;
}

}  // namespace sim
