#include "com/Apartment.h"

#ifndef _WIN32
namespace {

struct ThreadApartment {
    unsigned initCount = 0;
    DWORD mode = COINIT_MULTITHREADED;
};

thread_local ThreadApartment apartment;

DWORD ModeOf(DWORD flags) { return flags & COINIT_APARTMENTTHREADED; }

}  // namespace

HRESULT CoInitializeEx(void*, DWORD mode) {
    if (apartment.initCount == 0) {
        apartment.mode = ModeOf(mode);
        apartment.initCount = 1;
        return S_OK;
    }
    if (apartment.mode != ModeOf(mode)) return RPC_E_CHANGED_MODE;
    ++apartment.initCount;
    return S_FALSE;
}

void CoUninitialize() {
    if (apartment.initCount > 0) --apartment.initCount;
}
#endif
