// Feeds bytes to the item model as a message file of a mailbox: reads all an
// engine run reads, changes the item as save and reintroduce runs do, saves
// it, and checks that the message reads back as the same kind of item with
// the attachments it was saved with.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "TestPlatform.h"
#include "host/HostError.h"
#include "host/Outlook.h"
#include "mailstore/Mailbox.h"
#include "mapi/MapiGuid.h"
#include "mapi/MapiTags.h"

namespace {

namespace fs = std::filesystem;

// One mailbox on the test platform for the whole run; each input is its
// one message.
struct FuzzMailbox {
    FuzzMailbox() {
        for (const char* sub : {"cur", "new", "tmp"}) fs::create_directories(root / sub);
        platform.WriteFile(u"C:\\added.bin", "added by value");
    }

    // A save gives the message a new file: each input starts from an empty
    // folder and a mailbox opened afresh, which knows of no earlier rewrite.
    void Replace(const std::uint8_t* data, std::size_t size) {
        box.reset();
        for (const char* sub : {"cur", "new", "tmp"}) {
            for (const auto& entry : fs::directory_iterator(root / sub)) fs::remove(entry.path());
        }
        {
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        }
        box = mailstore::Mailbox::Open(root);
    }

    testing_support::TestPlatform platform;
    fs::path root = platform.Root() / "mail";
    fs::path file = root / "cur" / "1700000000.M1P1.fuzz:2,S";
    std::unique_ptr<mailstore::Mailbox> box;
};

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

// The item interface the object answers (as the engine's factory asks), or none.
com::ComPtr<Outlook::ItemOperations> Wrap(const com::ComPtr<IUnknown>& object, int& kind) {
    kind = 0;
    if (auto mail = object.As<Outlook::_MailItem>()) return mail;
    kind = 1;
    if (auto appointment = object.As<Outlook::_AppointmentItem>()) return appointment;
    kind = 2;
    if (auto meeting = object.As<Outlook::_MeetingItem>()) return meeting;
    kind = 3;
    if (auto task = object.As<Outlook::_TaskItem>()) return task;
    kind = -1;
    return nullptr;
}

void ReadProperties(Outlook::Attachment& attachment) {
    auto properties = attachment.MAPIOBJECT().As<IAttachment>();
    Require(static_cast<bool>(properties));
    SPropTagArray tags{1, {PR_ATTACH_SIZE}};
    for (const ULONG tag : {PR_ATTACH_SIZE, PR_ATTACH_FLAGS}) {
        tags.aulPropTag[0] = tag;
        ULONG count = 0;
        LPSPropValue values = nullptr;
        properties->GetProps(&tags, 0, &count, &values);
        std::free(values);
    }
}

void ReadEverything(Outlook::ItemOperations& item) {
    item.Subject();
    item.Body();
    item.CreationTime();
    Require(static_cast<bool>(item.Parent()));
    auto attachments = item.Attachments();
    for (std::int32_t i = 1; i <= attachments->Count(); ++i) {
        auto attachment = attachments->Item(i);
        attachment->FileName();
        attachment->DisplayName();
        attachment->PathName();
        attachment->Position();
        const std::int32_t type = attachment->Type();
        ReadProperties(*attachment);
        try {
            attachment->SaveAsFile(u"C:\\saved.bin");
        } catch (const host::HostError&) {
            // Only a link whose file is not there may fail to be written.
            Require(type == Outlook::olByReference);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Removed with its temporary directory when the run ends normally.
    static FuzzMailbox mailbox;
    mailbox.Replace(data, size);
    int kind = -1;
    auto item = Wrap(mailbox.box->OpenMessage(mailbox.file), kind);
    mailbox.box->TakeWarnings();
    if (!item) return 0;

    ReadEverything(*item);
    const std::int32_t count = item->Attachments()->Count();
    item->SetBody(u"Attachment extracted: <file://C:\\saved.bin>\r\n\r\n" + item->Body());
    // The removed part's description goes to the parts that stand for it, as save and reintroduce give it.
    const std::u16string properties = count > 0 ? item->Attachments()->Item(count)->PartProperties() : u"";
    item->Attachments()->Add(u"C:\\added.bin", Outlook::olByValue, 1, u"added.bin")->SetPartProperties(properties);
    item->Attachments()->Add(u"C:\\added.bin", Outlook::olByReference, 1, u"added.bin")->SetPartProperties(properties);
    if (count > 0) item->Attachments()->Remove(count);
    item->Save();
    item.Reset();

    int kindAfter = -1;
    auto reread = Wrap(mailbox.box->OpenMessage(mailbox.file), kindAfter);
    Require(kindAfter == kind);
    Require(reread->Attachments()->Count() == count - (count > 0 ? 1 : 0) + 2);
    ReadEverything(*reread);
    mailbox.box->TakeWarnings();
    return 0;
}
