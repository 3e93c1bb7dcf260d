#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "addin/ComServer.h"
#include "com/ComObject.h"
#include "host/Office.h"

namespace velmora {

// A bitmap resource built into the module, as a BMP file image; empty when
// the module has none of that name. The module has one: "Ondrel", the
// 16 x 16, 24-bit button face (a paper clip).
std::vector<std::uint8_t> LoadBitmapResource(std::u16string_view name);

// The picture object a button's Picture is set to: it holds the bitmap.
class TFacePicture : public com::ComObject<IDispatch, Office::PictureImage>, private TModuleObject {
public:
    explicit TFacePicture(std::vector<std::uint8_t> bmpFile) : bmpFile_(std::move(bmpFile)) {}

    std::vector<std::uint8_t> BmpFile() override { return bmpFile_; }

    // A picture has no members by name here; hosts read it as PictureImage.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** typeInfo) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argErr) override;

private:
    std::vector<std::uint8_t> bmpFile_;
};

}  // namespace velmora
