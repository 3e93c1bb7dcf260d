#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "com/ComPtr.h"
#include "sim/Application.h"
#include "sim/Explorer.h"
#include "sim/Item.h"
#include "sim/MapiFolder.h"
#include "sim/NameSpace.h"

namespace sim {

// Sets up an in-memory host in a few lines and keeps it alive:
//   sim::OutlookBuilder b;
//   auto& inbox = b.Store(u"Personal Folders").Folder(u"Inbox");
//   inbox.Mail(u"Report").Created(2024, 5, 1, 10, 15, 37).Attach(u"a.pdf", bytes).Link(u"C:\\x\\b.pdf");
// References to folders and items stay valid while the builder lives.
class OutlookBuilder {
public:
    OutlookBuilder();

    // The root folder of that store, made when there is none.
    MapiFolder& Store(std::u16string_view name) { return app_->Session().Store(name); }
    // An item in no folder (for a selection, or a message being sent).
    Item& LooseItem(ItemKind kind, std::u16string subject);

    sim::Application& App() { return *app_; }
    sim::NameSpace& Session() { return app_->Session(); }
    sim::Explorer& MainExplorer() { return app_->MainExplorer(); }

private:
    com::ComPtr<sim::Application> app_;
    std::vector<com::ComPtr<Item>> looseItems_;
};

// A sim object's interface I, as a host caller would query it; empty when
// the object does not answer I.
template <class I, class Object>
com::ComPtr<I> As(Object& object) {
    return com::ComPtr<IUnknown>(object.Identity()).template As<I>();
}

}  // namespace sim
