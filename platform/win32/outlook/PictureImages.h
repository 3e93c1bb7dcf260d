#pragma once

#include "com/ComPtr.h"
#include "com/Unknown.h"

namespace win32 {

// A picture object of the system (IPictureDisp over a bitmap) made from a
// picture of the core (Office::PictureImage, which holds a BMP file), as
// the client's buttons take their Picture; null when the object is no
// picture of the core. A BMP file the system cannot read throws
// host::HostError.
com::ComPtr<IDispatch> SystemPictureOf(IDispatch* object);

}  // namespace win32
