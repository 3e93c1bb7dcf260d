#pragma once

#include <string>
#include <vector>

#include "FakeMessage.h"
#include "FakeObject.h"

namespace fakehost {

// The mail client of the tests as the add-in reaches the real one: an
// application with its namespace, its explorer and the explorer's command
// bars, whose bars, controls and buttons are made as the add-in asks, and
// the events of the application (ItemSend), the bars (OnUpdate) and each
// button (Click). Collections' Item is their default member.
class FakeOutlook {
public:
    FakeOutlook();

    FakeObject& Application() { return *application_; }
    FakeObject& CommandBars() { return *commandBars_; }
    // The bar of that name; null when there is none.
    FakeObject* Bar(const std::u16string& name);
    // The bar's controls, in order.
    std::vector<FakeObject*> Controls(FakeObject& bar);

    // A mail item whose attachments are a copy ("report.pdf") and, when a
    // path is given, a link to it. Its Attachments.Add refuses links, as
    // the client's object model does since its 2007 version; its MAPI
    // message (MAPIOBJECT, see LastMessage) makes them.
    com::ComPtr<FakeObject> Mail(const std::u16string& subject, const std::u16string& linkPath);
    // The MAPI message of the last mail made.
    FakeMessage& LastMessage() { return *messages_.back(); }

    // A folder of that name at the top of the store, shown in the explorer
    // (its CurrentFolder); mail put into it is its items.
    FakeObject& ShowFolder(const std::u16string& name);
    void PutIntoFolder(FakeObject& mail);

    FakeOutlook(const FakeOutlook&) = delete;
    FakeOutlook& operator=(const FakeOutlook&) = delete;
    ~FakeOutlook();

private:
    struct BarRecord {
        com::ComPtr<FakeObject> Bar;
        com::ComPtr<FakeObject> Controls;
        std::vector<com::ComPtr<FakeObject>> Buttons;
    };

    com::ComPtr<FakeObject> MakeBar(const std::u16string& name);
    com::ComPtr<FakeObject> MakeButton(BarRecord& record);

    com::ComPtr<FakeObject> application_;
    com::ComPtr<FakeObject> nameSpace_;
    com::ComPtr<FakeObject> explorer_;
    com::ComPtr<FakeObject> commandBars_;
    std::vector<BarRecord> bars_;
    std::vector<FakeMessage*> messages_;
    com::ComPtr<FakeObject> folder_;
    std::vector<com::ComPtr<FakeObject>> folderItems_;
};

}  // namespace fakehost
