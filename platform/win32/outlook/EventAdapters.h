#pragma once

#include "com/ComPtr.h"
#include "com/Unknown.h"

namespace win32 {

// The client's connection point container of a wrapped object, whose points
// give the client, for each sink of the core advised there, a sink that
// wraps every object an event passes (the button clicked, the item sent)
// before the core's sink sees it. Arguments passed by reference (Cancel)
// reach the client's own storage. The core never enumerates the points.
com::ComPtr<IConnectionPointContainer> WrapConnectionPoints(com::ComPtr<IConnectionPointContainer> real);

}  // namespace win32
