#include "win32/system/Win32Errors.h"

#include "base/Format.h"
#include "win32/WideText.h"

namespace win32 {

std::u16string ErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::u16string text = length == 0 ? std::u16string() : FromWide(std::wstring_view(buffer, length));
    LocalFree(buffer);
    while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r' || text.back() == u' ')) text.pop_back();
    if (text.empty()) text = velmora::Format(u"error %d", {std::int64_t{code}});
    return text;
}

host::HostError Failure(DWORD code, std::u16string_view what) {
    return host::HostError(HRESULT_FROM_WIN32(code), velmora::Format(u"%s: %s", {what, ErrorText(code)}));
}

host::HostError LastFailure(std::u16string_view what) { return Failure(GetLastError(), what); }

}  // namespace win32
