#pragma once

#include "host/UserInterface.h"
#include "posix/system/WindowsFileSystem.h"

namespace qtui {

class QtClipboard final : public host::Clipboard {
public:
    void SetText(const std::u16string& text) override;
    // Pictures travel as BMP file images.
    void SetBitmap(const std::vector<std::uint8_t>& bmpFile) override;
    std::vector<std::uint8_t> Bitmap() override;
};

// "Open" with the desktop's handler: a web address as it stands, a Windows
// path on a mapped drive as the file it names.
class QtShell final : public host::Shell {
public:
    explicit QtShell(const posix::WindowsFileSystem& fileSystem) : fileSystem_(fileSystem) {}
    bool Open(const std::u16string& address) override;

private:
    const posix::WindowsFileSystem& fileSystem_;
};

}  // namespace qtui
