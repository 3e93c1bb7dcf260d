#pragma once

#include "host/UserInterface.h"

namespace win32ui {

// The system's clipboard: texts as CF_UNICODETEXT, pictures as CF_DIB (a
// BMP file without its file header). A clipboard another program holds
// open throws host::HostError.
class Win32Clipboard final : public host::Clipboard {
public:
    void SetText(const std::u16string& text) override;
    void SetBitmap(const std::vector<std::uint8_t>& bmpFile) override;
    std::vector<std::uint8_t> Bitmap() override;
};

}  // namespace win32ui
