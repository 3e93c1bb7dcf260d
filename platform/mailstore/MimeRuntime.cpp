#include "mailstore/MimeRuntime.h"

#include "mailstore/Gmime.h"
#include <libical/ical.h>

namespace mailstore {

void EnsureMimeRuntime() {
    static const bool initialised = [] {
        g_mime_init();
        // A calendar from someone else's mail must never abort the process.
        icalerror_set_errors_are_fatal(0);
        return true;
    }();
    static_cast<void>(initialised);
}

}  // namespace mailstore
