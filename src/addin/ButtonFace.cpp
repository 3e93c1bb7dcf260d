#include "addin/ButtonFace.h"

#include <array>
#include <cstddef>

namespace velmora {

namespace {

// The face, top row first: a paper clip ('#') on the button colour ('.').
constexpr std::array<std::string_view, 16> kPaperClip{
    "................",
    "........##......",
    ".......#..#.....",
    ".......#..#.....",
    ".....#.#..#.....",
    ".....#.#..#.....",
    ".....#.#..#.....",
    ".....#.#..#.....",
    ".....#.#..#.....",
    ".....#.#..#.....",
    ".....#....#.....",
    ".....#....#.....",
    "......#..#......",
    ".......##.......",
    "................",
    "................",
};

struct Rgb {
    std::uint8_t Red, Green, Blue;
};
constexpr Rgb kBackground{192, 192, 192};
constexpr Rgb kWire{40, 60, 110};

constexpr int kSide = 16;
constexpr std::size_t kHeaderSize = 14 + 40;
constexpr std::size_t kRowSize = kSide * 3;  // already a multiple of 4
constexpr std::size_t kFileSize = kHeaderSize + kRowSize * kSide;

constexpr void PutLittleEndian(std::array<std::uint8_t, kFileSize>& bytes, std::size_t at, std::uint32_t value,
                               int size) {
    for (int i = 0; i < size; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A BMP file: file header, BITMAPINFOHEADER, rows bottom-up in blue, green, red.
constexpr std::array<std::uint8_t, kFileSize> EncodeFace() {
    std::array<std::uint8_t, kFileSize> bytes{};
    bytes[0] = 'B';
    bytes[1] = 'M';
    PutLittleEndian(bytes, 2, kFileSize, 4);
    PutLittleEndian(bytes, 10, kHeaderSize, 4);
    PutLittleEndian(bytes, 14, 40, 4);
    PutLittleEndian(bytes, 18, kSide, 4);
    PutLittleEndian(bytes, 22, kSide, 4);
    PutLittleEndian(bytes, 26, 1, 2);   // planes
    PutLittleEndian(bytes, 28, 24, 2);  // bits per pixel
    PutLittleEndian(bytes, 30, 0, 4);   // no compression
    PutLittleEndian(bytes, 34, kRowSize * kSide, 4);
    PutLittleEndian(bytes, 38, 2835, 4);  // 72 dpi
    PutLittleEndian(bytes, 42, 2835, 4);
    for (int row = 0; row < kSide; ++row) {
        const std::string_view line = kPaperClip[static_cast<std::size_t>(kSide - 1 - row)];
        for (int column = 0; column < kSide; ++column) {
            const Rgb colour = line[static_cast<std::size_t>(column)] == '#' ? kWire : kBackground;
            const std::size_t at = kHeaderSize + static_cast<std::size_t>(row) * kRowSize + column * 3u;
            bytes[at] = colour.Blue;
            bytes[at + 1] = colour.Green;
            bytes[at + 2] = colour.Red;
        }
    }
    return bytes;
}

constexpr std::array<std::uint8_t, kFileSize> kOndrelBitmap = EncodeFace();

}  // namespace

std::vector<std::uint8_t> LoadBitmapResource(std::u16string_view name) {
    if (name != u"Ondrel") return {};
    return {kOndrelBitmap.begin(), kOndrelBitmap.end()};
}

HRESULT TFacePicture::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT TFacePicture::GetTypeInfo(UINT, LCID, ITypeInfo** typeInfo) {
    if (typeInfo != nullptr) *typeInfo = nullptr;
    return E_NOTIMPL;
}

HRESULT TFacePicture::GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) {
    if (ids == nullptr) return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

HRESULT TFacePicture::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return DISP_E_MEMBERNOTFOUND;
}

}  // namespace velmora
