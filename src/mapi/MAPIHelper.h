#pragma once

// Finds, loads and initialises the Extended MAPI library for the calling
// thread, and undoes all of it on destruction. Logs on to no profile.

#include <string>

#include "base/Exception.h"
#include "host/DynamicLibraries.h"
#include "mapi/MapiDefs.h"

namespace velmora {

class TMapiHelper {
public:
    // Ready when it returns. Raises velmora::Exception "Unable to load MAPI
    // library" when the library cannot be found or loaded, and "Unable to
    // initialize MAPI library" (after releasing what it took) when MAPI
    // refuses to start.
    TMapiHelper();
    ~TMapiHelper();
    TMapiHelper(const TMapiHelper&) = delete;
    TMapiHelper& operator=(const TMapiHelper&) = delete;

    // The library the system's mail configuration names, "Mapi32.dll" when
    // it names none, or empty when the system reports no MAPI.
    static std::u16string GetMapiLibraryPath();

    // Frees a buffer that the library allocated, such as the property array of GetProps.
    void FreeBuffer(void* buffer);

private:
    bool LoadMapiLibrary();
    bool InitializeMapi();
    // Each step runs at most once in the object's life.
    void FinalizeMapi();

    host::DynamicLibraries* Libraries = nullptr;  // the loader that holds LibHandle
    host::DynamicLibraries::Handle LibHandle = nullptr;
    std::u16string LibPath;
    HRESULT CoInitResult = E_UNEXPECTED;
    LPMAPIINITIALIZE MapiInitializeProc = nullptr;
    LPMAPIUNINITIALIZE MapiUninitializeProc = nullptr;
    LPMAPIFREEBUFFER MapiFreeBufferProc = nullptr;
    bool MapiInitialized = false;
};

}  // namespace velmora
