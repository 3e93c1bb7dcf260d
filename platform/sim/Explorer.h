#pragma once

#include <initializer_list>

#include "com/ComPtr.h"
#include "host/Outlook.h"
#include "sim/Collections.h"
#include "sim/CommandBars.h"
#include "sim/DispatchObject.h"
#include "sim/FaultPlan.h"
#include "sim/Item.h"
#include "sim/MapiFolder.h"

namespace sim {

using SelectionList = ObjectList<Outlook::Selection, Item, IUnknown>;

// The main window: the folder it shows (or none) and the items selected in
// it. Through IDispatch it answers CommandBars, the application's bars.
class Explorer : public DispatchObject<Outlook::Explorer, IDispatch>, public Injectable {
public:
    explicit Explorer(com::ComPtr<sim::CommandBars> bars);

    com::ComPtr<Outlook::MAPIFolder> CurrentFolder() override;
    // The same selection object on every call; Select changes what it holds.
    com::ComPtr<Outlook::Selection> Selection() override;

    // nullptr: the window shows no folder.
    Explorer& ShowFolder(MapiFolder* folder);
    Explorer& Select(std::initializer_list<Item*> items);
    SelectionList& SelectedItems() { return *selection_; }

private:
    com::ComPtr<MapiFolder> current_;
    com::ComPtr<SelectionList> selection_;
    com::ComPtr<sim::CommandBars> bars_;
};

}  // namespace sim
