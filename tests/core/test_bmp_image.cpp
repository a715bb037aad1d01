#include "core/bmp_test_support.h"
#include "core/skins/bmp_image.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tivora;

namespace {

using namespace tivora::testing;

const std::vector<std::uint32_t> Palette {0x0000ff, 0xff0000, 0x00ff00, 0xffffff};
const std::string Masks565 = le32(0xf800) + le32(0x07e0) + le32(0x001f);

} // namespace

TEST(Bmp, DecodesEveryDepthAndLayout)
{
    struct Case
    {
        const char *name;
        std::string file;
        int width, height;
        std::vector<std::uint32_t> pixels; // rows from the top
    };
    const Case cases[] = {
        {"24 bits, bottom-up, padded rows",
         bmp(1, 2, 24, 0, {}, bytes({1, 2, 3, 0, 4, 5, 6, 0})),
         1,
         2,
         {0x060504, 0x030201}},
        {"24 bits, top-down",
         bmp(1, -2, 24, 0, {}, bytes({1, 2, 3, 0, 4, 5, 6, 0})),
         1,
         2,
         {0x030201, 0x060504}},
        {"8 bits",
         bmp(3, 1, 8, 0, Palette, bytes({3, 1, 0, 0})),
         3,
         1,
         {0xffffff, 0xff0000, 0x0000ff}},
        {"4 bits",
         bmp(3, 1, 4, 0, Palette, bytes({0x21, 0x30, 0, 0})),
         3,
         1,
         {0x00ff00, 0xff0000, 0xffffff}},
        {"1 bit",
         bmp(10, 1, 1, 0, Palette, bytes({0xa0, 0x40, 0, 0})),
         10,
         1,
         {0xff0000, 0x0000ff, 0xff0000, 0x0000ff, 0x0000ff, 0x0000ff, 0x0000ff, 0x0000ff, 0x0000ff,
          0xff0000}},
        // 5 and 6 bits widened by repeating their bits: 31 and 63 become 255, 16 is 132.
        {"16 bits, 5-5-5",
         bmp(2, 1, 16, 0, {}, le16(0x7fff) + le16(0x4000)),
         2,
         1,
         {0xffffff, 0x840000}},
        {"16 bits, 5-6-5 masks",
         bmp(2, 1, 16, 3, {}, le16(0xffff) + le16(0x07e0), Masks565),
         2,
         1,
         {0xffffff, 0x00ff00}},
        {"32 bits", bmp(1, 1, 32, 0, {}, le32(0x80123456)), 1, 1, {0x123456}},
        // RLE8: a run of 1, 3 literal pixels (padded), end of line; a jump over 1 pixel
        // and 1 row (skipped pixels take palette entry 0), a run of 1, end of picture.
        {"RLE8",
         bmp(4, 3, 8, 1, Palette, bytes({1, 1, 0, 3, 1, 3, 2, 0, 0, 0, 0, 2, 1, 1, 1, 3, 0, 1})),
         4,
         3,
         {0x0000ff, 0xffffff, 0x0000ff, 0x0000ff, 0x0000ff, 0x0000ff, 0x0000ff, 0x0000ff, 0xff0000,
          0xff0000, 0xffffff, 0x00ff00}},
        // A run over the row's padding; the stream ends where the picture is complete.
        {"RLE4", bmp(3, 1, 4, 2, Palette, bytes({4, 0x13})), 3, 1, {0xff0000, 0xffffff, 0xff0000}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const RgbImage image = decodeBmp(c.file);
        EXPECT_EQ(image.width, c.width);
        EXPECT_EQ(image.height, c.height);
        EXPECT_EQ(image.pixels, c.pixels);
    }
}

TEST(Bmp, RefusesDamagedFiles)
{
    const std::string full = bmp(2, 2, 24, 0, {}, std::string(16, '\x7f'));
    std::string offsetPastEnd = full;
    offsetPastEnd.replace(10, 4, le32(std::uint32_t(full.size())));
    const std::pair<const char *, std::string> cases[] = {
        {"no BMP", "GIF89a" + std::string(60, '\0')},
        {"pixel data cut short", full.substr(0, full.size() - 1)},
        {"pixel offset past the end", offsetPastEnd},
        {"header claims a huge picture", bmp(100000, 100000, 24, 0, {}, std::string(64, '\0'))},
        {"colour index outside the palette", bmp(1, 1, 8, 0, {0, 0}, bytes({2, 0, 0, 0}))},
        {"RLE stream ends early", bmp(2, 2, 8, 1, Palette, bytes({2, 1, 0, 0}))},
        {"RLE literal cut short", bmp(4, 1, 8, 1, Palette, bytes({0, 4, 1, 1}))},
        {"RLE stored from the top", bmp(2, -1, 8, 1, Palette, bytes({2, 1, 0, 1}))},
        {"mask with a gap", bmp(1, 1, 16, 3, {}, le32(0), le32(0x5) + le32(0) + le32(0))},
    };
    for (const auto &[name, file] : cases)
        EXPECT_THROW(decodeBmp(file), BmpError) << name;
}

TEST(Bmp, RefusesPicturesOverTheLimitOrLargerThanTheFile)
{
    const std::string tiny(64, '\0');
    const std::pair<std::string, const char *> cases[] = {
        {bmp(16384, 2048, 24, 0, {}, tiny), "over the limit of 4096 x 4096"},
        {bmp(4097, 1, 24, 0, {}, tiny), "over the limit of 4096 x 4096"},
        {bmp(1, 4097, 24, 0, {}, tiny), "over the limit of 4096 x 4096"},
        {bmp(4096, 4096, 24, 0, {}, tiny), "cannot hold the 4096 x 4096 pixels"},
        {bmp(4096, 2, 8, 0, Palette, std::string(4096, '\0')), "cannot hold the 4096 x 2"},
    };
    for (const auto &[file, why] : cases) {
        try {
            decodeBmp(file);
            ADD_FAILURE() << why;
        } catch (const BmpError &e) {
            EXPECT_NE(std::string(e.what()).find(why), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(decodeBmp(bmp(4096, 1, 24, 0, {}, std::string(3 * 4096, '\x10'))).pixels.size(),
              4096u);
}
