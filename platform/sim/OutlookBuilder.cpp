#include "sim/OutlookBuilder.h"

#include <utility>

namespace sim {

OutlookBuilder::OutlookBuilder() : app_(com::MakeCom<sim::Application>()) {}

Item& OutlookBuilder::LooseItem(ItemKind kind, std::u16string subject) {
    looseItems_.push_back(com::MakeCom<Item>(kind, std::move(subject)));
    return *looseItems_.back();
}

}  // namespace sim
