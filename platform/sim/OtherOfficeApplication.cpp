#include "sim/OtherOfficeApplication.h"

#include <utility>

#include "sim/Variants.h"

namespace sim {

OtherOfficeApplication::OtherOfficeApplication(std::u16string name)
    : Injectable({"Name", "CommandBars"}), name_(std::move(name)), bars_(com::MakeCom<sim::CommandBars>()) {
    SetMembers(DispatchMembers({
        {u"Name",
         [this] {
             Enter("Name");
             return TextVariant(name_);
         },
         nullptr},
        {u"CommandBars",
         [this] {
             Enter("CommandBars");
             return DispatchVariant(bars_->AsDispatch());
         },
         nullptr},
    }));
}

}  // namespace sim
