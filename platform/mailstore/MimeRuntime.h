#pragma once

namespace mailstore {

// Initialises GMime, once per process. It is never shut down from here:
// other code of the process may still hold its objects.
void EnsureMimeRuntime();

}  // namespace mailstore
