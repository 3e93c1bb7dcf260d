#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "com/ComObject.h"
#include "host/Outlook.h"
#include "sim/Collections.h"
#include "sim/FaultPlan.h"
#include "sim/Item.h"

namespace sim {

class MapiFolder;

using ItemList = ObjectList<Outlook::_Items, Item, IUnknown>;
using FolderList = ObjectList<Outlook::_Folders, MapiFolder, Outlook::MAPIFolder>;

// A folder with its items and sub-folders in order. Its parent is the folder
// above or, at the top of a store, the namespace; neither is owned, so that
// no reference cycle keeps a tree alive. A folder that goes orphans its
// children.
class MapiFolder : public com::ComObject<Outlook::MAPIFolder>, public Injectable {
public:
    explicit MapiFolder(std::u16string name);
    ~MapiFolder() override;

    std::u16string Name() override;
    com::ComPtr<Outlook::_Items> Items() override;
    com::ComPtr<Outlook::_Folders> Folders() override;
    com::ComPtr<IUnknown> Parent() override;

    // Setting up: the sub-folder of that name, made at the end when there is none.
    MapiFolder& Folder(std::u16string_view name);
    // A new item at the end of the folder's items.
    Item& Add(ItemKind kind, std::u16string subject);
    Item& Mail(std::u16string subject) { return Add(ItemKind::Mail, std::move(subject)); }
    Item& Appointment(std::u16string subject) { return Add(ItemKind::Appointment, std::move(subject)); }
    Item& MeetingRequest(std::u16string subject) { return Add(ItemKind::MeetingRequest, std::move(subject)); }
    Item& Task(std::u16string subject) { return Add(ItemKind::Task, std::move(subject)); }
    Item& Contact(std::u16string name) { return Add(ItemKind::Contact, std::move(name)); }
    Item& Note(std::u16string subject) { return Add(ItemKind::Note, std::move(subject)); }

    const std::u16string& FolderName() const { return name_; }
    ItemList& ItemCollection() { return *items_; }
    FolderList& FolderCollection() { return *folders_; }
    // The item at a 1-based index.
    Item& ItemAt(int index);

    void PlaceUnder(IUnknown* parent) { parent_ = parent; }
    void Orphan(IUnknown* parent);

private:
    std::u16string name_;
    com::ComPtr<ItemList> items_;
    com::ComPtr<FolderList> folders_;
    IUnknown* parent_ = nullptr;
};

}  // namespace sim
