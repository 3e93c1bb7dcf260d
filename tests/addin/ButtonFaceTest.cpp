#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>

#include "addin/ButtonFace.h"

namespace {

std::uint32_t Field(const std::vector<std::uint8_t>& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes.at(at + static_cast<std::size_t>(i));
    return value;
}

TEST(ButtonFace, OndrelIsAValid16By16TrueColourBitmapWithAPicture) {
    const std::vector<std::uint8_t> bmp = velmora::LoadBitmapResource(u"Ondrel");
    ASSERT_EQ(bmp.size(), 54u + 16u * 16u * 3u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(Field(bmp, 2, 4), bmp.size());
    EXPECT_EQ(Field(bmp, 10, 4), 54u);     // where the pixels start
    EXPECT_EQ(Field(bmp, 14, 4), 40u);     // BITMAPINFOHEADER
    EXPECT_EQ(Field(bmp, 18, 4), 16u);     // width
    EXPECT_EQ(Field(bmp, 22, 4), 16u);     // height, rows bottom-up
    EXPECT_EQ(Field(bmp, 26, 2), 1u);      // planes
    EXPECT_EQ(Field(bmp, 28, 2), 24u);     // bits per pixel
    EXPECT_EQ(Field(bmp, 30, 4), 0u);      // not compressed
    EXPECT_EQ(Field(bmp, 34, 4), 768u);

    // Two colours: the button's and the clip's, the corners being the button's.
    std::set<std::uint32_t> colours;
    for (std::size_t at = 54; at < bmp.size(); at += 3) colours.insert(Field(bmp, at, 3));
    EXPECT_EQ(colours.size(), 2u);
    EXPECT_EQ(Field(bmp, 54, 3), Field(bmp, bmp.size() - 3, 3));
}

TEST(ButtonFace, ThePictureObjectHandsOutItsBitmapAndCountsAsTheModuleInUse) {
    ASSERT_EQ(velmora::ComServer().CanUnloadNow(), S_OK);
    {
        auto picture = com::MakeCom<velmora::TFacePicture>(std::vector<std::uint8_t>{1, 2, 3});
        auto image = com::ComPtr<IDispatch>(picture.Get()).As<Office::PictureImage>();
        ASSERT_TRUE(image);
        EXPECT_EQ(image->BmpFile(), (std::vector<std::uint8_t>{1, 2, 3}));
        EXPECT_EQ(velmora::ComServer().CanUnloadNow(), S_FALSE);
    }
    EXPECT_EQ(velmora::ComServer().CanUnloadNow(), S_OK);
}

}  // namespace
