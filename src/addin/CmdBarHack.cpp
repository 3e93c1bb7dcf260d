#include "addin/CmdBarHack.h"

#include "addin/Automation.h"
#include "base/Exception.h"

namespace velmora {

com::ComPtr<Office::_CommandBars> GetHostCommandBars(IDispatch* Application) {
    com::ComPtr<IDispatch> bars;
    if (GetProperty(Application, u"name").Text() == u"Outlook") {
        com::ComPtr<IDispatch> explorer = GetProperty(Application, u"ActiveExplorer").Dispatch();
        if (!explorer) throw Exception(u"Outlook shows no explorer window, whose command bars could be reached");
        bars = GetProperty(explorer.Get(), u"CommandBars").Dispatch();
    } else {
        bars = GetProperty(Application, u"CommandBars").Dispatch();
    }
    auto typed = bars.As<Office::_CommandBars>();
    if (!typed) throw Exception(u"The host's command bars cannot be reached");
    return typed;
}

}  // namespace velmora
