#include "win32/outlook/OutlookAdapters.h"

#include "win32/outlook/AdapterBase.h"
#include "host/HostError.h"
#include "win32/outlook/AttachmentParts.h"
#include "win32/outlook/MapiLinks.h"

namespace win32 {

namespace {

using com::ComPtr;

class ApplicationAdapter final : public Adapter<Outlook::_Application> {
public:
    using Adapter::Adapter;
    ComPtr<Outlook::_NameSpace> GetNamespace(const std::u16string& type) override {
        return Result<Outlook::_NameSpace>(Late().Call(u"GetNamespace", {LateValue::Text(type)}));
    }
    ComPtr<Outlook::Explorer> ActiveExplorer() override {
        return Result<Outlook::Explorer>(Late().Get(u"ActiveExplorer"));
    }
    std::u16string Name() override { return Late().Get(u"Name").AsText(); }
};

class NameSpaceAdapter final : public Adapter<Outlook::_NameSpace> {
public:
    using Adapter::Adapter;
    ComPtr<Outlook::MAPIFolder> PickFolder() override { return Result<Outlook::MAPIFolder>(Late().Call(u"PickFolder")); }
    // The client's store makes each item's save durable itself.
    void HoldSaves() override {}
    void CommitSaves() override {}
};

class ExplorerAdapter final : public Adapter<Outlook::Explorer> {
public:
    using Adapter::Adapter;
    ComPtr<Outlook::MAPIFolder> CurrentFolder() override {
        return Result<Outlook::MAPIFolder>(Late().Get(u"CurrentFolder"));
    }
    ComPtr<Outlook::Selection> Selection() override { return Result<Outlook::Selection>(Late().Get(u"Selection")); }
};

class SelectionAdapter final : public Adapter<Outlook::Selection> {
public:
    using Adapter::Adapter;
    std::int32_t Count() override { return Late().Get(u"Count").AsInt(); }
    ComPtr<IUnknown> Item(std::int32_t index) override {
        return Result<IUnknown>(Late().Call(u"Item", {LateValue::Int(index)}));
    }
};

class FolderAdapter final : public Adapter<Outlook::MAPIFolder> {
public:
    using Adapter::Adapter;
    std::u16string Name() override { return Late().Get(u"Name").AsText(); }
    ComPtr<Outlook::_Items> Items() override { return Result<Outlook::_Items>(Late().Get(u"Items")); }
    ComPtr<Outlook::_Folders> Folders() override { return Result<Outlook::_Folders>(Late().Get(u"Folders")); }
    ComPtr<IUnknown> Parent() override { return Result<IUnknown>(Late().Get(u"Parent")); }
};

class ItemsAdapter final : public Adapter<Outlook::_Items> {
public:
    using Adapter::Adapter;
    std::int32_t Count() override { return Late().Get(u"Count").AsInt(); }
    ComPtr<IUnknown> Item(std::int32_t index) override {
        return Result<IUnknown>(Late().Call(u"Item", {LateValue::Int(index)}));
    }
};

class FoldersAdapter final : public Adapter<Outlook::_Folders> {
public:
    using Adapter::Adapter;
    std::int32_t Count() override { return Late().Get(u"Count").AsInt(); }
    ComPtr<Outlook::MAPIFolder> Item(std::int32_t index) override {
        return Result<Outlook::MAPIFolder>(Late().Call(u"Item", {LateValue::Int(index)}));
    }
};

// The four kinds of items share their operations.
template <class Kind>
class ItemAdapter final : public Adapter<Kind> {
public:
    using Adapter<Kind>::Adapter;
    ComPtr<Outlook::Attachments> Attachments() override {
        return Result<Outlook::Attachments>(this->Late().Get(u"Attachments"));
    }
    std::u16string Body() override { return this->Late().Get(u"Body").AsText(); }
    void SetBody(const std::u16string& body) override { this->Late().Put(u"Body", LateValue::Text(body)); }
    velmora::TDateTime CreationTime() override { return this->Late().Get(u"CreationTime").AsDate(); }
    ComPtr<IUnknown> Parent() override { return Result<IUnknown>(this->Late().Get(u"Parent")); }
    std::u16string Subject() override { return this->Late().Get(u"Subject").AsText(); }
    void Save() override { this->Late().Call(u"Save"); }
    std::u16string EntryID() override { return this->Late().Get(u"EntryID").AsText(); }
};

class AttachmentsAdapter final : public Adapter<Outlook::Attachments> {
public:
    using Adapter::Adapter;
    std::int32_t Count() override { return Late().Get(u"Count").AsInt(); }
    ComPtr<Outlook::Attachment> Item(std::int32_t index) override {
        return Result<Outlook::Attachment>(Late().Call(u"Item", {LateValue::Int(index)}));
    }
    // The object model refuses links by reference since its 2007 version:
    // such a link is made through Extended MAPI instead.
    ComPtr<Outlook::Attachment> Add(const std::u16string& source, std::int32_t type, std::int32_t position,
                                    const std::u16string& displayName) override {
        try {
            return Result<Outlook::Attachment>(Late().Call(u"Add", {LateValue::Text(source), LateValue::Int(type),
                                                                    LateValue::Int(position),
                                                                    LateValue::Text(displayName)}));
        } catch (const host::HostError&) {
            if (type != Outlook::olByReference) throw;
        }
        com::ComPtr<IDispatch> link = AddLinkThroughMapi(Late(), source, position, displayName);
        return link ? HostObject::Wrap(link).As<Outlook::Attachment>() : ComPtr<Outlook::Attachment>();
    }
    void Remove(std::int32_t index) override { Late().Call(u"Remove", {LateValue::Int(index)}); }
};

class AttachmentAdapter final : public Adapter<Outlook::Attachment> {
public:
    using Adapter::Adapter;
    std::u16string DisplayName() override { return Late().Get(u"DisplayName").AsText(); }
    std::u16string FileName() override { return Late().Get(u"FileName").AsText(); }
    std::u16string PathName() override { return Late().Get(u"PathName").AsText(); }
    std::int32_t Position() override { return Late().Get(u"Position").AsInt(); }
    std::int32_t Type() override { return Late().Get(u"Type").AsInt(); }
    ComPtr<IUnknown> MAPIOBJECT() override { return Late().Get(u"MAPIOBJECT").AsUnknown(); }
    void SaveAsFile(const std::u16string& path) override { Late().Call(u"SaveAsFile", {LateValue::Text(path)}); }
    std::u16string ContentId() override { return AttachmentContentId(Late()); }
    void SaveToStream(host::OutputStream& stream) override { SaveAttachmentToStream(Late(), stream); }
    bool ContentIntact() override { return true; }
    std::u16string PartProperties() override { return AttachmentPartProperties(Late()); }
    void SetPartProperties(const std::u16string& properties) override {
        SetAttachmentPartProperties(Late(), properties);
    }
};

// The client's object answers the interface itself: it is of that kind.
}  // namespace

IUnknown* MakeOutlookAdapter(REFIID iid, HostObject& host) {
    if (iid == kNameSpaceAdapter) return Made<NameSpaceAdapter>(host)->Identity();
    if (iid == kExplorerAdapter) return Made<ExplorerAdapter>(host)->Identity();
    if (iid == kSelectionAdapter) return Made<SelectionAdapter>(host)->Identity();
    if (iid == kItemsAdapter) return Made<ItemsAdapter>(host)->Identity();
    if (iid == kFoldersAdapter) return Made<FoldersAdapter>(host)->Identity();
    if (iid == kAttachmentsAdapter) return Made<AttachmentsAdapter>(host)->Identity();
    if (iid == kAttachmentAdapter) return Made<AttachmentAdapter>(host)->Identity();
    // Objects of these kinds say so themselves.
    if (!RealHas(host, iid)) return nullptr;
    if (iid == Outlook::IID__Application) return Made<ApplicationAdapter>(host)->Identity();
    if (iid == Outlook::IID_MAPIFolder) return Made<FolderAdapter>(host)->Identity();
    if (iid == Outlook::IID__MailItem) return Made<ItemAdapter<Outlook::_MailItem>>(host)->Identity();
    if (iid == Outlook::IID__AppointmentItem) return Made<ItemAdapter<Outlook::_AppointmentItem>>(host)->Identity();
    if (iid == Outlook::IID__MeetingItem) return Made<ItemAdapter<Outlook::_MeetingItem>>(host)->Identity();
    if (iid == Outlook::IID__TaskItem) return Made<ItemAdapter<Outlook::_TaskItem>>(host)->Identity();
    return nullptr;
}

}  // namespace win32
