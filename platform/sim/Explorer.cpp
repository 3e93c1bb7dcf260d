#include "sim/Explorer.h"

#include <utility>
#include <vector>

#include "sim/Variants.h"

namespace sim {

Explorer::Explorer(com::ComPtr<sim::CommandBars> bars)
    : Injectable({"CurrentFolder", "Selection", "CommandBars"}),
      selection_(com::MakeCom<SelectionList>()),
      bars_(std::move(bars)) {
    SetMembers(DispatchMembers({{u"CommandBars",
                                 [this] {
                                     Enter("CommandBars");
                                     return DispatchVariant(bars_->AsDispatch());
                                 },
                                 nullptr}}));
}

com::ComPtr<Outlook::MAPIFolder> Explorer::CurrentFolder() {
    Enter("CurrentFolder");
    return current_;
}

com::ComPtr<Outlook::Selection> Explorer::Selection() {
    Enter("Selection");
    return selection_;
}

Explorer& Explorer::ShowFolder(MapiFolder* folder) {
    current_ = com::ComPtr<MapiFolder>(folder);
    return *this;
}

Explorer& Explorer::Select(std::initializer_list<Item*> items) {
    std::vector<com::ComPtr<Item>> selected;
    for (auto* item : items) selected.emplace_back(item);
    selection_->Assign(std::move(selected));
    return *this;
}

}  // namespace sim
