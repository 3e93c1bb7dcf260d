#pragma once

#include <functional>

#include "com/ComPtr.h"
#include "com/Unknown.h"

namespace velmora {

// How the add-in reaches its host's objects. A host whose objects implement
// the core's interfaces themselves (the in-memory client, the mailbox
// store) needs nothing. The real mail client's objects answer only
// late-bound calls, so the module that runs in it (the Windows DLL) installs
// an adapter that wraps the application given at connection in an object
// with the core's interfaces, which wraps everything reached from it alike.
using HostAdapter = std::function<com::ComPtr<IDispatch>(IDispatch* application)>;

void SetHostAdapter(HostAdapter adapter);
// The application as the core works with it: adapted when an adapter is
// installed, else the host's own object.
com::ComPtr<IDispatch> AdaptHostApplication(IDispatch* application);

}  // namespace velmora
