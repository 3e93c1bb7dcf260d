#include "sim/Application.h"

#include <utility>

#include "base/Format.h"
#include "base/Utf16.h"
#include "host/HostError.h"

namespace sim {

Application::Application()
    : Injectable({"GetNamespace", "ActiveExplorer", "Name"}),
      session_(com::MakeCom<sim::NameSpace>()),
      explorer_(com::MakeCom<sim::Explorer>()) {}

com::ComPtr<Outlook::_NameSpace> Application::GetNamespace(const std::u16string& type) {
    Enter("GetNamespace");
    if (!velmora::SameText(type, u"MAPI")) {
        throw host::HostError(E_INVALIDARG, velmora::Format(u"There is no namespace of type %s.", {type}));
    }
    return session_;
}

com::ComPtr<Outlook::Explorer> Application::ActiveExplorer() {
    Enter("ActiveExplorer");
    if (!explorerShown_) return nullptr;
    return explorer_;
}

std::u16string Application::Name() {
    Enter("Name");
    return name_;
}

Application& Application::SetName(std::u16string name) {
    name_ = std::move(name);
    return *this;
}

Application& Application::ShowExplorer(bool shown) {
    explorerShown_ = shown;
    return *this;
}

}  // namespace sim
