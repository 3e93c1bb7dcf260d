#pragma once

#include <string>

#include "com/ComObject.h"
#include "host/Outlook.h"
#include "sim/Explorer.h"
#include "sim/FaultPlan.h"
#include "sim/NameSpace.h"

namespace sim {

// The host application: its one namespace and, unless hidden, its explorer.
class Application : public com::ComObject<Outlook::_Application>, public Injectable {
public:
    Application();

    // Only "MAPI" (in any letter case) names a namespace.
    com::ComPtr<Outlook::_NameSpace> GetNamespace(const std::u16string& type) override;
    com::ComPtr<Outlook::Explorer> ActiveExplorer() override;
    std::u16string Name() override;

    Application& SetName(std::u16string name);
    // A hidden explorer keeps its folder and selection for when it is shown again.
    Application& ShowExplorer(bool shown);

    sim::NameSpace& Session() { return *session_; }
    sim::Explorer& MainExplorer() { return *explorer_; }

private:
    std::u16string name_ = u"Outlook";
    bool explorerShown_ = true;
    com::ComPtr<sim::NameSpace> session_;
    com::ComPtr<sim::Explorer> explorer_;
};

}  // namespace sim
