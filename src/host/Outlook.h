#pragma once

// The Outlook object model as the engine reaches it: folders, items and
// attachments behind COM interfaces. Collections are 1-based; a call that
// fails throws host::HostError with the host's result code and message.
//
// What an add-in reaches besides: the application object and its explorers
// also answer IDispatch, through which the application's Name,
// ActiveExplorer and CommandBars and an explorer's CommandBars (the host's
// Office::_CommandBars) are read by name. The application is a connection
// point container for ApplicationEvents, whose ItemSend it raises with
// IDispatch::Invoke before a message goes out.

#include <cstdint>
#include <string>

#include "base/DateTime.h"
#include "com/ComPtr.h"
#include "com/InterfaceId.h"
#include "host/FileSystem.h"

namespace Outlook {

using com::ComPtr;

enum OlAttachmentType : std::int32_t {
    olByValue = 1,
    olByReference = 4,
    olEmbeddeditem = 5,
    olOLE = 6,
};

struct _NameSpace;
struct Explorer;
struct Selection;
struct MAPIFolder;
struct _Items;
struct _Folders;
struct Attachments;
struct Attachment;

struct _Application : IUnknown {
    // The namespace of the given type; "MAPI" is the only one there is.
    virtual ComPtr<_NameSpace> GetNamespace(const std::u16string& type) = 0;
    // The main window; none when the host shows no explorer.
    virtual ComPtr<Outlook::Explorer> ActiveExplorer() = 0;
    virtual std::u16string Name() = 0;
};

struct _NameSpace : IUnknown {
    // The host's folder chooser; none when the user cancels.
    virtual ComPtr<MAPIFolder> PickFolder() = 0;
    // From HoldSaves to CommitSaves a store may hold the items' saves back
    // and make them durable all at once, with one flush for many, as a batch
    // of a save run wants it; CommitSaves returns when every save since
    // HoldSaves is durable (items whose message another program removed
    // meanwhile left out). A store that makes each save durable at once
    // needs neither.
    virtual void HoldSaves() = 0;
    virtual void CommitSaves() = 0;
};

struct Explorer : IUnknown {
    // None when the window shows no folder.
    virtual ComPtr<MAPIFolder> CurrentFolder() = 0;
    virtual ComPtr<Outlook::Selection> Selection() = 0;
};

struct Selection : IUnknown {
    virtual std::int32_t Count() = 0;
    // An item object of any kind; query it for the item interfaces.
    virtual ComPtr<IUnknown> Item(std::int32_t index) = 0;
};

struct MAPIFolder : IUnknown {
    virtual std::u16string Name() = 0;
    virtual ComPtr<_Items> Items() = 0;
    virtual ComPtr<_Folders> Folders() = 0;
    // The folder above, or an object that is not a folder at the top of a store.
    virtual ComPtr<IUnknown> Parent() = 0;
};

struct _Items : IUnknown {
    virtual std::int32_t Count() = 0;
    virtual ComPtr<IUnknown> Item(std::int32_t index) = 0;
};

struct _Folders : IUnknown {
    virtual std::int32_t Count() = 0;
    virtual ComPtr<MAPIFolder> Item(std::int32_t index) = 0;
};

// The operations that mail messages, appointments, meeting requests and
// tasks offer alike; each kind has its own interface over them.
struct ItemOperations : IUnknown {
    virtual ComPtr<Outlook::Attachments> Attachments() = 0;
    virtual std::u16string Body() = 0;
    virtual void SetBody(const std::u16string& body) = 0;
    virtual velmora::TDateTime CreationTime() = 0;
    // The folder holding the item (query it for MAPIFolder), or none.
    virtual ComPtr<IUnknown> Parent() = 0;
    virtual std::u16string Subject() = 0;
    // Stores every change made to the item since it was last saved.
    virtual void Save() = 0;
    // What identifies the item in its store while it stays there; saving
    // the item keeps it.
    virtual std::u16string EntryID() = 0;
};

struct _MailItem : ItemOperations {};
struct _AppointmentItem : ItemOperations {};
struct _MeetingItem : ItemOperations {};
struct _TaskItem : ItemOperations {};

struct Attachments : IUnknown {
    virtual std::int32_t Count() = 0;
    virtual ComPtr<Outlook::Attachment> Item(std::int32_t index) = 0;
    // A new attachment made from the file at source: type 1 copies the file
    // into the item, 4 links to the path. Existing indices stay as they were.
    virtual ComPtr<Outlook::Attachment> Add(const std::u16string& source, std::int32_t type, std::int32_t position,
                                            const std::u16string& displayName) = 0;
    virtual void Remove(std::int32_t index) = 0;
};

struct Attachment : IUnknown {
    virtual std::u16string DisplayName() = 0;
    virtual std::u16string FileName() = 0;
    // The linked file of a by-reference attachment; for other types it names no existing file.
    virtual std::u16string PathName() = 0;
    virtual std::int32_t Position() = 0;
    virtual std::int32_t Type() = 0;
    // The attachment's Extended MAPI object; query it for IAttachment.
    virtual ComPtr<IUnknown> MAPIOBJECT() = 0;
    virtual void SaveAsFile(const std::u16string& path) = 0;

    // What a property accessor reads as PR_ATTACH_CONTENT_ID: the part's
    // Content-ID (for a link, the link's own); empty when it has none.
    virtual std::u16string ContentId() = 0;
    // Writes what SaveAsFile writes into a file the caller opened (a link
    // writes nothing). Errors of the stream reach the caller as thrown.
    virtual void SaveToStream(host::OutputStream& stream) = 0;
    // False when the content as stored is damaged (its transfer encoding
    // holds invalid input), so that what is written may fall short of what
    // mail readers show.
    virtual bool ContentIntact() = 0;
    // The attachment as a part of its item (type with its parameters,
    // disposition, Content-ID, place), in the host's own notation: what
    // SetPartProperties gives back to a part made from the same file.
    virtual std::u16string PartProperties() = 0;
    // Makes this attachment, just added, stand for the part that properties
    // describe: it takes that part's type, parameters and identifiers (a link
    // keeps its own Content-ID and describes the file it stands for) and its
    // place, right after the attachment that holds the place now, so that
    // removing that one leaves this one where it was. What the host cannot
    // keep it leaves as Add made it.
    virtual void SetPartProperties(const std::u16string& properties) = 0;
};

inline constexpr IID IID__Application = {0x00063001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_MAPIFolder = {0x00063006, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID__MailItem = {0x00063034, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID__AppointmentItem = {
    0x00063033, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID__MeetingItem = {0x00063062, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID__TaskItem = {0x00063035, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The application's event interface and the members that matter here.
inline constexpr IID DIID_ApplicationEvents = {
    0x0006304E, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// ItemSend(Item: the item as IDispatch, Cancel: by-reference boolean; true stops the send)
inline constexpr DISPID DISPID_ItemSend = 0xF002;
// NewMail(), no arguments
inline constexpr DISPID DISPID_NewMail = 0xF003;

}  // namespace Outlook

VELMORA_INTERFACE_ID(Outlook::_Application, Outlook::IID__Application);
VELMORA_INTERFACE_ID(Outlook::MAPIFolder, Outlook::IID_MAPIFolder);
VELMORA_INTERFACE_ID(Outlook::_MailItem, Outlook::IID__MailItem);
VELMORA_INTERFACE_ID(Outlook::_AppointmentItem, Outlook::IID__AppointmentItem);
VELMORA_INTERFACE_ID(Outlook::_MeetingItem, Outlook::IID__MeetingItem);
VELMORA_INTERFACE_ID(Outlook::_TaskItem, Outlook::IID__TaskItem);
