#pragma once

#include <string>

#include "com/ComPtr.h"
#include "sim/CommandBars.h"
#include "sim/DispatchObject.h"
#include "sim/FaultPlan.h"

namespace sim {

// The application object of an Office host other than Outlook: it answers
// no Outlook::_Application, only Name and CommandBars through IDispatch.
class OtherOfficeApplication : public DispatchObject<IDispatch>, public Injectable {
public:
    explicit OtherOfficeApplication(std::u16string name);

    sim::CommandBars& Bars() { return *bars_; }

private:
    std::u16string name_;
    com::ComPtr<sim::CommandBars> bars_;
};

}  // namespace sim
