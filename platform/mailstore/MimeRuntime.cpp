#include "mailstore/MimeRuntime.h"

#include "mailstore/Gmime.h"
namespace mailstore {

void EnsureMimeRuntime() {
    static const bool initialised = [] {
        g_mime_init();
        return true;
    }();
    static_cast<void>(initialised);
}

}  // namespace mailstore
