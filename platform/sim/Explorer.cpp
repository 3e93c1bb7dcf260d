#include "sim/Explorer.h"

#include <vector>

namespace sim {

Explorer::Explorer() : Injectable({"CurrentFolder", "Selection"}), selection_(com::MakeCom<SelectionList>()) {}

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
