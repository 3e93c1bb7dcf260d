#pragma once

#include <cstddef>
#include <deque>
#include <string_view>
#include <vector>

#include "com/ComObject.h"
#include "host/Outlook.h"
#include "sim/FaultPlan.h"
#include "sim/MapiFolder.h"

namespace sim {

// The "MAPI" namespace: the stores, whose root folders have the namespace
// as their parent, and the folder chooser, which answers from a script.
class NameSpace : public com::ComObject<Outlook::_NameSpace>, public Injectable {
public:
    NameSpace();
    ~NameSpace() override;

    // The next scripted answer; none (a cancel) when the script is empty.
    com::ComPtr<Outlook::MAPIFolder> PickFolder() override;
    // Every save of the in-memory client is whole at once: nothing to hold.
    void HoldSaves() override {}
    void CommitSaves() override {}

    // The root folder of the store of that name, made when there is none.
    MapiFolder& Store(std::u16string_view name);
    const std::vector<com::ComPtr<MapiFolder>>& Stores() const { return stores_; }

    NameSpace& AnswerPick(MapiFolder& folder);
    NameSpace& AnswerPickCancel();
    std::size_t PendingPicks() const { return picks_.size(); }

private:
    std::vector<com::ComPtr<MapiFolder>> stores_;
    std::deque<com::ComPtr<MapiFolder>> picks_;  // empty pointers stand for a cancel
};

}  // namespace sim
