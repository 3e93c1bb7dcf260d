#pragma once

#include <memory>

#include "com/ComPtr.h"
#include "ui/frm_Velmora.h"

namespace velmora {

// The module-wide slot of the host's application object: set and cleared
// with the add-in object's own, and read by the event handlers.
com::ComPtr<IDispatch>& ModuleApplication();

// The main dialog's single instance: created on first demand, let go when
// the add-in disconnects (see TfrmVelmora::Release).
std::unique_ptr<TfrmVelmora>& MainDialog();

}  // namespace velmora
