#pragma once

// The MAPI entry points of the project's own provider library, which stands
// in for the system's MAPI library on Linux. It keeps no sessions: it counts
// initialisations and hands out memory with malloc/free, so blocks that
// another part of the process allocated with std::malloc can be freed here.

#include "mapi/MapiDefs.h"

#define VELMORA_MAPI_EXPORT extern "C" __attribute__((visibility("default")))

// S_OK; each call is matched by one MAPIUninitialize.
VELMORA_MAPI_EXPORT HRESULT STDMETHODCALLTYPE MAPIInitialize(LPVOID init);
// Takes back one initialisation; without one outstanding it does nothing.
VELMORA_MAPI_EXPORT void STDMETHODCALLTYPE MAPIUninitialize();
// S_OK with a block of size bytes (a zero size still gives a block),
// E_INVALIDARG without a place for the result, E_OUTOFMEMORY.
VELMORA_MAPI_EXPORT SCODE STDMETHODCALLTYPE MAPIAllocateBuffer(ULONG size, LPVOID* buffer);
// Frees a block (null is allowed); always 0.
VELMORA_MAPI_EXPORT ULONG STDMETHODCALLTYPE MAPIFreeBuffer(LPVOID buffer);
// The initialisations now outstanding, for tests.
VELMORA_MAPI_EXPORT ULONG VelmoraMapiInitCount();
