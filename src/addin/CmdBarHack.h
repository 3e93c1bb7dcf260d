#pragma once

#include "com/ComPtr.h"
#include "host/Office.h"

namespace velmora {

// The command bars to work on: for Outlook (its Name is "Outlook") those
// of the active explorer, for another Office host the application's own.
// Everything is read by name through IDispatch, so no typed interface of
// the host is needed. Throws host::HostError when a host call fails, and
// velmora::Exception when Outlook shows no explorer or the bars answer no
// _CommandBars.
com::ComPtr<Office::_CommandBars> GetHostCommandBars(IDispatch* Application);

}  // namespace velmora
