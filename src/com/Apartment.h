#pragma once

// COM initialisation of the calling thread.

#include "com/HResult.h"

#ifndef _WIN32
enum COINIT : DWORD {
    COINIT_MULTITHREADED = 0x0,
    COINIT_APARTMENTTHREADED = 0x2,
};

// Per thread: the first call gives S_OK, a further call in the same mode
// S_FALSE (each of both to be balanced by CoUninitialize), a call in the
// other mode RPC_E_CHANGED_MODE (not to be balanced).
HRESULT CoInitializeEx(void* reserved, DWORD mode);
void CoUninitialize();
#endif
