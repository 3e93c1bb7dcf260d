#pragma once

#include "mailstore/Gmime.h"

#include "host/FileSystem.h"
#include "mailstore/GObjectPtr.h"

namespace mailstore {

// A write-only GMime stream that passes everything written to a host file,
// so that GMime can decode or serialise straight into it, chunk by chunk.
// The host file must outlive the stream.
GObjectPtr<GMimeStream> NewHostSinkStream(host::OutputStream& file);

// Rethrows the error a write to the host file raised, if one did: GMime only
// sees that the write failed.
void RethrowSinkFailure(GMimeStream* sink);

}  // namespace mailstore
