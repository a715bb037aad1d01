// Skin rules without the toolkit: finding a skin's files, taking a picked skin, the
// editor's fields, and which pixels a see-through window shows.
#include "core/options/skin_list.h"
#include "core/render/see_through.h"
#include "core/skins/skin_fields.h"
#include "core/skins/skin_store.h"
#include "core/test_base_support.h"

#include <array>
#include <stdexcept>

using namespace tivora;
namespace fs = std::filesystem;

using SkinLookup = tivora::testing::ScratchFolder;

// Loading finds a skin's files and the options dialog selects its list item by the same
// rule: the exact name, else the first name the same without regard to case.
TEST_F(SkinLookup, LoadingAndTheListAgreeInEveryScript)
{
    for (const char *file : {"Été.bmp", "été.bmp", "Night.BMP", "Ёлка.bmp", "Straße.bmp"})
        put(dir / file, "");
    fs::create_directory(dir / "Folder.bmp");
    const std::vector<std::string> names = skinNames(dir);
    EXPECT_EQ(names, (std::vector<std::string> {"Night", "Straße", "Été", "été", "Ёлка"}));

    const std::pair<const char *, const char *> cases[] = {
        {"Été", "Été.bmp"},        {"été", "été.bmp"},      {"ÉTÉ", "Été.bmp"},
        {"night", "Night.BMP"},    {"ЁЛКА", "Ёлка.bmp"},    {"STRAẞE", "Straße.bmp"},
        {"STRASSE", nullptr},      {"folder", nullptr},     {"Ete", nullptr},
    };
    for (const auto &[skin, file] : cases) {
        const std::optional<fs::path> found = findSkinFile(dir, std::string(skin) + ".bmp");
        const int item = findSkin(names, skin);
        if (!file) {
            EXPECT_FALSE(found) << skin;
            EXPECT_EQ(item, -1) << skin;
            continue;
        }
        EXPECT_EQ(found, dir / file) << skin;
        ASSERT_GE(item, 0) << skin;
        EXPECT_EQ(names[item] + fs::path(file).extension().string(), file) << skin;
    }
}

TEST(SkinStore, ASkinThatFailsToLoadIsNotTaken)
{
    struct Case
    {
        const char *loadsAs; // what loading settles on; null: it fails
        const char *current; // options.Skin afterwards
    };
    for (const Case &c : {Case {"Blue", "Blue"}, Case {"Default", "Default"}, Case {nullptr, "Night"}}) {
        TOptions options;
        options.Skin = "Night";
        std::string loaded;
        const auto load = [&] {
            loaded = options.Skin;
            if (!c.loadsAs)
                throw SkinError("damaged");
            options.Skin = c.loadsAs;
        };
        if (c.loadsAs)
            EXPECT_NO_THROW(takeSkin(options, "Blue", load));
        else
            EXPECT_THROW(takeSkin(options, "Blue", load), SkinError);
        EXPECT_EQ(loaded, "Blue") << "the picked skin is the one loaded";
        EXPECT_EQ(options.Skin, c.current);
    }
}

TEST(SkinEditorFields, TypedNumbersAreHeldToEachFieldsRange)
{
    struct Row
    {
        const char *text;
        int size, centre, other; // cell size, hand centre, positions and lengths
    };
    for (const Row &row : {Row {"", 10, 0, 5}, Row {"abc", 10, 0, 5}, Row {"-7", 10, 0, 5},
                           Row {"3", 10, 3, 5}, Row {"9999", 500, 500, 500}}) {
        TOptions o;
        for (const SkinNumberField &field : SkinNumberFields)
            applySkinNumber(o, field, row.text);
        EXPECT_EQ(std::vector<int>({o.cWindth, o.cHeight, o.strlX, o.strlY}),
                  std::vector<int>({row.size, row.size, row.centre, row.centre}))
            << row.text;
        EXPECT_EQ(std::vector<int>({o.DigposX, o.DigposY, o.DateposX, o.DateposY, o.DescposX,
                                    o.DescposY, o.hLen, o.mLen, o.sLen}),
                  std::vector<int>(9, row.other))
            << row.text;
    }
}

TEST(SkinEditorFields, AlignmentCodesOutsideTheListShowNoItemAndNoItemStores255)
{
    const std::pair<std::uint8_t, int> shown[] = {{0, 0}, {1, 1}, {2, 2}, {3, -1}, {255, -1}};
    for (const auto &[code, index] : shown)
        EXPECT_EQ(alignmentIndex(code), index) << int(code);
    const std::pair<int, std::uint8_t> stored[] = {{0, 0}, {2, 2}, {-1, 255}};
    for (const auto &[index, code] : stored)
        EXPECT_EQ(alignmentCode(index), code) << index;
}

TEST(SeeThrough, OnlyExactlyWhitePixelsAreSeeThroughAndOnlyTheRangeIsMarked)
{
    constexpr std::uint32_t K = 0, W = 0xffffff, N = 0xfffffe, A = 0xff000000 | W;
    const std::uint32_t pixels[] = {K, W, N, A, K, K, W, W, N, W, K, W};
    struct Case
    {
        int first, last;
        std::array<std::uint8_t, 2> before, after;
        bool changed;
    };
    const Case cases[] = {
        {0, 11, {0x00, 0x00}, {0x35, 0x05}, true},
        {0, 11, {0x35, 0x05}, {0x35, 0x05}, false},
        {3, 9, {0xff, 0xff}, {0x37, 0xfd}, true}, // bits outside 3..9 are kept
        {9, 9, {0x00, 0x02}, {0x00, 0x00}, true},
    };
    for (const Case &c : cases) {
        std::array<std::uint8_t, 2> bits = c.before;
        EXPECT_EQ(markShownRow(pixels, bits.data(), c.first, c.last), c.changed) << c.first;
        EXPECT_EQ(bits, c.after) << c.first << ".." << c.last;
    }
    // A long row, whole bytes and parts, against the rule pixel by pixel.
    std::array<std::uint32_t, 64> row {};
    for (size_t i = 0; i < row.size(); ++i)
        row[i] = (i * 7 % 5 == 0) ? W | (std::uint32_t(i) << 24) : std::uint32_t(i * 0x10101);
    for (const auto &[first, last] : {std::pair {0, 63}, {3, 60}, {8, 15}, {9, 41}, {17, 17}}) {
        std::array<std::uint8_t, 8> bits {};
        bits.fill(0xa5);
        markShownRow(row.data(), bits.data(), first, last);
        for (int x = 0; x < 64; ++x) {
            const bool want = x < first || x > last ? (0xa5 >> (x & 7)) & 1 : !isSeeThrough(row[size_t(x)]);
            EXPECT_EQ((bits[size_t(x) >> 3] >> (x & 7)) & 1, int(want)) << x << " in " << first << ".." << last;
        }
    }
}
