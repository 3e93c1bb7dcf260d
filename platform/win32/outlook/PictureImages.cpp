#include "win32/outlook/PictureImages.h"

#include <olectl.h>

#include <cstring>
#include <vector>

#include "host/HostError.h"
#include "host/Office.h"

namespace win32 {

com::ComPtr<IDispatch> SystemPictureOf(IDispatch* object) {
    if (object == nullptr) return {};
    auto image = com::ComPtr<IDispatch>(object).As<Office::PictureImage>();
    if (!image) return {};
    const std::vector<std::uint8_t> file = image->BmpFile();
    BITMAPFILEHEADER header{};
    if (file.size() < sizeof header + sizeof(BITMAPINFOHEADER)) {
        throw host::HostError(E_INVALIDARG, u"The button face is no bitmap");
    }
    std::memcpy(&header, file.data(), sizeof header);
    if (header.bfType != 0x4D42 || header.bfOffBits >= file.size()) {
        throw host::HostError(E_INVALIDARG, u"The button face is no bitmap");
    }
    const auto* info = reinterpret_cast<const BITMAPINFO*>(file.data() + sizeof header);
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, file.data() + header.bfOffBits, info,
                                    DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (bitmap == nullptr) throw host::HostError(E_FAIL, u"The system could not make a bitmap of the button face");
    PICTDESC description{};
    description.cbSizeofstruct = sizeof description;
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = bitmap;
    IDispatch* picture = nullptr;
    // The picture owns the bitmap from here on.
    const HRESULT made =
        OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(&picture));
    if (FAILED(made)) {
        DeleteObject(bitmap);
        throw host::HostError(made, u"The system could not make a picture of the button face");
    }
    return com::ComPtr<IDispatch>::Attach(picture);
}

}  // namespace win32
