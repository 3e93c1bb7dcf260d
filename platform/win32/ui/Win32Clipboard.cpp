#include "win32/ui/Win32Clipboard.h"

#include <windows.h>

#include <cstring>

#include "host/HostError.h"
#include "win32/system/Win32Errors.h"

namespace win32ui {

namespace {

// The clipboard open for the time of one change or reading.
class OpenClipboardScope {
public:
    OpenClipboardScope() {
        if (!OpenClipboard(nullptr)) throw win32::LastFailure(u"The clipboard cannot be opened");
    }
    ~OpenClipboardScope() { CloseClipboard(); }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
};

// Replaces the clipboard's content by the bytes, in the given format.
void Put(UINT format, const void* data, std::size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (memory == nullptr) throw win32::LastFailure(u"No memory for the clipboard");
    std::memcpy(GlobalLock(memory), data, size);
    GlobalUnlock(memory);
    OpenClipboardScope open;
    EmptyClipboard();
    if (SetClipboardData(format, memory) == nullptr) {
        const auto failure = win32::LastFailure(u"The clipboard refused the data");
        GlobalFree(memory);
        throw failure;
    }
}

}  // namespace

void Win32Clipboard::SetText(const std::u16string& text) {
    Put(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(char16_t));
}

void Win32Clipboard::SetBitmap(const std::vector<std::uint8_t>& bmpFile) {
    if (bmpFile.size() <= sizeof(BITMAPFILEHEADER) || bmpFile[0] != 'B' || bmpFile[1] != 'M') {
        throw host::HostError(E_INVALIDARG, u"The picture is no BMP file");
    }
    Put(CF_DIB, bmpFile.data() + sizeof(BITMAPFILEHEADER), bmpFile.size() - sizeof(BITMAPFILEHEADER));
}

std::vector<std::uint8_t> Win32Clipboard::Bitmap() {
    OpenClipboardScope open;
    HANDLE data = GetClipboardData(CF_DIB);
    if (data == nullptr) return {};
    const SIZE_T size = GlobalSize(data);
    const auto* dib = static_cast<const std::uint8_t*>(GlobalLock(data));
    if (dib == nullptr || size < sizeof(BITMAPINFOHEADER)) {
        if (dib != nullptr) GlobalUnlock(data);
        return {};
    }
    BITMAPINFOHEADER info{};
    std::memcpy(&info, dib, sizeof info);
    const DWORD colours = info.biClrUsed != 0 ? info.biClrUsed : (info.biBitCount <= 8 ? 1u << info.biBitCount : 0u);
    const DWORD masks = info.biCompression == BI_BITFIELDS ? 3 * sizeof(DWORD) : 0;
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfSize = static_cast<DWORD>(sizeof header + size);
    header.bfOffBits = static_cast<DWORD>(sizeof header + info.biSize + masks + colours * sizeof(RGBQUAD));
    std::vector<std::uint8_t> file(sizeof header + size);
    std::memcpy(file.data(), &header, sizeof header);
    std::memcpy(file.data() + sizeof header, dib, size);
    GlobalUnlock(data);
    return file;
}

}  // namespace win32ui
