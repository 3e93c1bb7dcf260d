#include "win32/system/FileErrors.h"

#include "base/Format.h"
#include "host/HostError.h"
#include "win32/system/Win32Errors.h"

namespace win32 {

void ThrowFileError(std::u16string_view action, std::u16string_view path, DWORD code, std::u16string_view reason) {
    const std::u16string text = reason.empty() ? ErrorText(code) : std::u16string(reason);
    throw host::HostError(HRESULT_FROM_WIN32(code), velmora::Format(u"%s \"%s\": %s", {action, path, text}));
}

std::u16string EntryPath(std::u16string_view directory, std::u16string_view name) {
    std::u16string path(directory);
    if (path.empty() || path.back() != u'\\') path += u'\\';
    return path.append(name);
}

}  // namespace win32
