#include "UserDataFolder.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <system_error>

#include "base/Format.h"
#include "base/Utf16.h"
#include "host/HostError.h"

namespace win32addin {

std::filesystem::path UserDataFolder() {
    wchar_t* local = nullptr;
    const HRESULT found = SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &local);
    if (FAILED(found)) {
        CoTaskMemFree(local);
        throw host::HostError(found, u"The folder of the user's local application data cannot be found");
    }
    const std::filesystem::path folder = std::filesystem::path(local) / L"Velmora";
    CoTaskMemFree(local);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        throw host::HostError(HRESULT_FROM_WIN32(static_cast<DWORD>(error.value())),
                              velmora::Format(u"The folder %s cannot be made: %s",
                                              {folder.u16string(), velmora::FromUtf8(error.message())}));
    }
    return folder;
}

}  // namespace win32addin
