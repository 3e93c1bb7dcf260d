#pragma once

namespace mailstore {

// Initialises GMime and puts libical in its non-fatal error mode, once per
// process. GMime is never shut down from here: other code of the process may
// still hold its objects.
void EnsureMimeRuntime();

}  // namespace mailstore
