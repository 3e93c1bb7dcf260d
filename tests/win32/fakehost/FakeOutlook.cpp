#include "FakeOutlook.h"

#include <mapitags.h>

#include <map>
#include <memory>

#include "host/HostError.h"
#include "host/Office.h"
#include "host/Outlook.h"

namespace fakehost {

namespace {

LateValue Object(FakeObject* object) { return LateValue::Object(object); }

// The argument at index as an int, or the fallback when it is left out.
std::int32_t IntArgument(std::vector<VARIANT>& arguments, std::size_t index, std::int32_t fallback) {
    if (index >= arguments.size() || arguments[index].vt == VT_ERROR) return fallback;
    LateValue value;
    VariantCopy(value.Put(), &arguments[index]);
    return value.AsInt();
}

LateValue DateValue(double days) {
    VARIANT number;
    VariantInit(&number);
    number.vt = VT_R8;
    number.dblVal = days;
    LateValue date;
    VariantChangeType(date.Put(), &number, 0, VT_DATE);
    return date;
}

std::u16string TextArgument(std::vector<VARIANT>& arguments, std::size_t index) {
    if (index >= arguments.size() || arguments[index].vt == VT_ERROR) return {};
    LateValue value;
    VariantCopy(value.Put(), &arguments[index]);
    return value.AsText();
}

}  // namespace

FakeOutlook::FakeOutlook() {
    application_ = MakeFake({Outlook::IID__Application});
    nameSpace_ = MakeFake();
    explorer_ = MakeFake();
    commandBars_ = MakeFake({Office::IID__CommandBars});

    application_->Property(u"Name", 0x3000, LateValue::Text(u"Outlook"));
    application_->Member(u"ActiveExplorer", 0x111, [this](auto&) { return Object(explorer_.Get()); });
    application_->Member(u"GetNamespace", 0x110, [this](std::vector<VARIANT>& arguments) {
        if (TextArgument(arguments, 0) != u"MAPI") throw host::HostError(E_INVALIDARG, u"No such namespace");
        return Object(nameSpace_.Get());
    });
    application_->AddEvents(Outlook::DIID_ApplicationEvents);

    explorer_->Member(u"CommandBars", 0x2100, [this](auto&) { return Object(commandBars_.Get()); });
    explorer_->Member(u"CurrentFolder", 0x2101, [this](auto&) { return Object(folder_.Get()); });
    auto selection = MakeFake();
    selection->Member(u"Count", 0x50, [](auto&) { return LateValue::Int(0); });
    explorer_->Member(u"Selection", 0x2102, [selection](auto&) { return Object(selection.Get()); });

    commandBars_->Member(u"Count", 0x2, [this](auto&) { return LateValue::Int(static_cast<std::int32_t>(bars_.size())); });
    commandBars_->Member(u"Item", DISPID_VALUE, [this](std::vector<VARIANT>& arguments) {
        const std::int32_t index = IntArgument(arguments, 0, 0);
        if (index < 1 || index > static_cast<std::int32_t>(bars_.size())) {
            throw host::HostError(E_INVALIDARG, u"Invalid index");
        }
        return Object(bars_[static_cast<std::size_t>(index - 1)].Bar.Get());
    });
    commandBars_->Member(u"Add", 0x3, [this](std::vector<VARIANT>& arguments) {
        return Object(MakeBar(TextArgument(arguments, 0)).Get());
    });
    commandBars_->AddEvents(Office::DIID__CommandBarsEvents);
}

com::ComPtr<FakeObject> FakeOutlook::MakeBar(const std::u16string& name) {
    BarRecord record{MakeFake({Office::IID_CommandBar}), MakeFake({Office::IID_CommandBarControls}), {}};
    record.Bar->Property(u"Name", 0x1, LateValue::Text(name));
    record.Bar->Property(u"Visible", 0x2, LateValue::Bool(false));
    record.Bar->Property(u"Protection", 0x3, LateValue::Int(0));
    FakeObject* controls = record.Controls.Get();
    record.Bar->Member(u"Controls", 0x4, [controls](auto&) { return Object(controls); });
    bars_.push_back(std::move(record));
    const std::size_t at = bars_.size() - 1;
    controls->Member(u"Count", 0x2, [this, at](auto&) {
        return LateValue::Int(static_cast<std::int32_t>(bars_[at].Buttons.size()));
    });
    controls->Member(u"Item", DISPID_VALUE, [this, at](std::vector<VARIANT>& arguments) {
        const std::int32_t index = IntArgument(arguments, 0, 0);
        auto& buttons = bars_[at].Buttons;
        if (index < 1 || index > static_cast<std::int32_t>(buttons.size())) {
            throw host::HostError(E_INVALIDARG, u"Invalid index");
        }
        return Object(buttons[static_cast<std::size_t>(index - 1)].Get());
    });
    controls->Member(u"Add", 0x3, [this, at](std::vector<VARIANT>& arguments) {
        if (IntArgument(arguments, 0, Office::msoControlButton) != Office::msoControlButton) {
            throw host::HostError(E_INVALIDARG, u"Only buttons here");
        }
        return Object(MakeButton(bars_[at]).Get());
    });
    return bars_.back().Bar;
}

com::ComPtr<FakeObject> FakeOutlook::MakeButton(BarRecord& record) {
    auto button = MakeFake({Office::IID_CommandBarControl, Office::IID__CommandBarButton});
    button->Property(u"Caption", 0x1, LateValue::Text(u""));
    button->Property(u"Tag", 0x2, LateValue::Text(u""));
    button->Property(u"Priority", 0x3, LateValue::Int(0));
    button->Property(u"Visible", 0x4, LateValue::Bool(true));
    button->Property(u"Style", 0x5, LateValue::Int(0));
    button->Property(u"TooltipText", 0x6, LateValue::Text(u""));
    button->Property(u"Picture", 0x7, LateValue());
    button->Member(u"PasteFace", 0x8, [](auto&) { return LateValue(); });
    button->AddEvents(Office::DIID__CommandBarButtonEvents);
    record.Buttons.push_back(button);
    return button;
}

FakeObject* FakeOutlook::Bar(const std::u16string& name) {
    for (auto& record : bars_) {
        if (record.Bar->Value(u"Name").AsText() == name) return record.Bar.Get();
    }
    return nullptr;
}

std::vector<FakeObject*> FakeOutlook::Controls(FakeObject& bar) {
    std::vector<FakeObject*> controls;
    for (auto& record : bars_) {
        if (record.Bar.Get() != &bar) continue;
        for (auto& button : record.Buttons) controls.push_back(button.Get());
    }
    return controls;
}

FakeObject& FakeOutlook::ShowFolder(const std::u16string& name) {
    folder_ = MakeFake({Outlook::IID_MAPIFolder});
    folder_->Property(u"Name", 0x3001, LateValue::Text(name));
    folder_->Member(u"Parent", 0xF090, [this](auto&) { return Object(nameSpace_.Get()); });
    auto items = MakeFake();
    items->Member(u"Count", 0x50, [this](auto&) { return LateValue::Int(static_cast<std::int32_t>(folderItems_.size())); });
    items->Member(u"Item", DISPID_VALUE, [this](std::vector<VARIANT>& arguments) {
        const std::int32_t index = IntArgument(arguments, 0, 0);
        if (index < 1 || index > static_cast<std::int32_t>(folderItems_.size())) {
            throw host::HostError(E_INVALIDARG, u"Invalid index");
        }
        return Object(folderItems_[static_cast<std::size_t>(index - 1)].Get());
    });
    folder_->Member(u"Items", 0x3100, [items](auto&) { return Object(items.Get()); });
    auto folders = MakeFake();
    folders->Member(u"Count", 0x50, [](auto&) { return LateValue::Int(0); });
    folder_->Member(u"Folders", 0x2103, [folders](auto&) { return Object(folders.Get()); });
    return *folder_;
}

void FakeOutlook::PutIntoFolder(FakeObject& mail) { folderItems_.push_back(com::ComPtr<FakeObject>(&mail)); }

FakeOutlook::~FakeOutlook() {
    for (FakeMessage* message : messages_) message->Release();
}

com::ComPtr<FakeObject> FakeOutlook::Mail(const std::u16string& subject, const std::u16string& linkPath) {
    auto mail = MakeFake({Outlook::IID__MailItem});
    auto attachments = MakeFake();
    auto items = std::make_shared<std::vector<com::ComPtr<FakeObject>>>();
    const auto attachment = [items](std::int32_t type, const std::u16string& name, const std::u16string& path) {
        auto made = MakeFake();
        made->Property(u"Type", 0x1, LateValue::Int(type));
        made->Property(u"DisplayName", 0x2, LateValue::Text(name));
        made->Property(u"FileName", 0x3, LateValue::Text(name));
        made->Property(u"PathName", 0x4, LateValue::Text(path));
        made->Property(u"Position", 0x5, LateValue::Int(0));
        // The content of a copy is its name's, so that a saved file tells which it was.
        const std::string content = "content of " + std::string(name.begin(), name.end());
        made->Member(u"SaveAsFile", 0x6, [content](std::vector<VARIANT>& arguments) {
            const std::u16string file = TextArgument(arguments, 0);
            HANDLE out = CreateFileW(reinterpret_cast<const wchar_t*>(file.c_str()), GENERIC_WRITE, 0, nullptr,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (out == INVALID_HANDLE_VALUE) throw host::HostError(E_ACCESSDENIED, u"Cannot save the attachment");
            DWORD written = 0;
            WriteFile(out, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
            CloseHandle(out);
            return LateValue();
        });
        // MAPI properties by schema name; one never set is unknown, as the client says.
        auto properties = std::make_shared<std::map<std::u16string, LateValue>>();
        auto accessor = MakeFake();
        accessor->Member(u"GetProperty", 0x1, [properties](std::vector<VARIANT>& arguments) {
            auto found = properties->find(TextArgument(arguments, 0));
            if (found == properties->end()) {
                throw host::HostError(static_cast<HRESULT>(0x8004010F), u"The property is unknown");
            }
            return LateValue(found->second);
        });
        accessor->Member(u"SetProperty", 0x2, [properties](std::vector<VARIANT>& arguments) {
            LateValue value;
            VariantCopy(value.Put(), &arguments.at(1));
            properties->erase(TextArgument(arguments, 0));
            properties->emplace(TextArgument(arguments, 0), value);
            return LateValue();
        });
        made->Member(u"PropertyAccessor", 0x7, [accessor](auto&) { return Object(accessor.Get()); });
        items->push_back(made);
    };
    attachment(Outlook::olByValue, u"report.pdf", u"");
    if (!linkPath.empty()) attachment(Outlook::olByReference, u"linked.pdf", linkPath);
    attachments->Member(u"Count", 0x50, [items](auto&) { return LateValue::Int(static_cast<std::int32_t>(items->size())); });
    attachments->Member(u"Item", DISPID_VALUE, [items](std::vector<VARIANT>& arguments) {
        const std::int32_t index = IntArgument(arguments, 0, 0);
        if (index < 1 || index > static_cast<std::int32_t>(items->size())) {
            throw host::HostError(E_INVALIDARG, u"Invalid index");
        }
        return Object((*items)[static_cast<std::size_t>(index - 1)].Get());
    });
    attachments->Member(u"Add", 0x65, [attachment](std::vector<VARIANT>& arguments) {
        const std::int32_t type = IntArgument(arguments, 1, Outlook::olByValue);
        if (type == Outlook::olByReference) {
            throw host::HostError(E_INVALIDARG, u"Attachments by reference are not supported");
        }
        const std::u16string source = TextArgument(arguments, 0);
        attachment(type, TextArgument(arguments, 3), source);
        return LateValue();
    });
    attachments->Member(u"Remove", 0x54, [items](std::vector<VARIANT>& arguments) {
        const std::int32_t index = IntArgument(arguments, 0, 0);
        if (index < 1 || index > static_cast<std::int32_t>(items->size())) {
            throw host::HostError(E_INVALIDARG, u"Invalid index");
        }
        items->erase(items->begin() + (index - 1));
        return LateValue();
    });
    FakeObject* item = mail.Get();
    attachments->Member(u"Parent", 0xF090, [item](auto&) { return Object(item); });
    mail->Property(u"CreationTime", 0x3007, DateValue(45000.5));  // 15 March 2023, noon
    mail->Member(u"Save", 0xF048, [](auto&) { return LateValue(); });
    mail->Member(u"Parent", 0xF090, [this](auto&) { return folder_ ? Object(folder_.Get()) : LateValue(); });
    mail->Member(u"Attachments", 0xF815, [attachments](auto&) { return Object(attachments.Get()); });
    mail->Property(u"Subject", 0x37, LateValue::Text(subject));
    mail->Property(u"Body", 0x9100, LateValue::Text(u"Hello"));
    mail->Property(u"EntryID", 0xF01E, LateValue::Text(u"00000000FAKE0001"));

    auto* message = new FakeMessage([attachment](const MapiAttachmentRecord& record) {
        const auto text = [&record](ULONG tag) {
            auto found = record.Texts.find(tag);
            return found == record.Texts.end() ? std::u16string()
                                               : std::u16string(found->second.begin(), found->second.end());
        };
        auto method = record.Numbers.find(PR_ATTACH_METHOD);
        const std::int32_t type = method != record.Numbers.end() && method->second == ATTACH_BY_REFERENCE
                                      ? Outlook::olByReference
                                      : Outlook::olByValue;
        attachment(type, text(PR_DISPLAY_NAME_W), text(PR_ATTACH_LONG_PATHNAME_W));
    });
    messages_.push_back(message);
    mail->Member(u"MAPIOBJECT", 0xF100, [message](auto&) {
        LateValue value;
        VARIANT* raw = value.Put();
        raw->vt = VT_UNKNOWN;
        raw->punkVal = static_cast<IMessage*>(message);
        message->AddRef();
        return value;
    });
    return mail;
}

}  // namespace fakehost
