#pragma once

#include <cstdint>
#include <string>

#include "win32/outlook/LateBound.h"

namespace win32 {

// A link attachment made through Extended MAPI, for clients whose object
// model refuses attachments by reference: on the item's MAPI message (its
// MAPIOBJECT) a new attachment with PR_ATTACH_METHOD ATTACH_BY_REFERENCE,
// the path in PR_ATTACH_LONG_PATHNAME and PR_ATTACH_PATHNAME, the display
// name, the file's name and the rendering position, saved with the
// message. The item is the parent of the attachments collection given; the
// object model's new attachment, its last one, is returned. Failures throw
// host::HostError with MAPI's result code.
com::ComPtr<IDispatch> AddLinkThroughMapi(LateBound& attachments, const std::u16string& path, std::int32_t position,
                                          const std::u16string& displayName);

}  // namespace win32
