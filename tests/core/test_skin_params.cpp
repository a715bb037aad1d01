#include "core/base/ini_file.h"
#include "core/skin_test_support.h"
#include "core/test_base_support.h"
#include "core/skins/skin_params.h"

#include <climits>
#include <regex>

using namespace tivora;
using tivora::testing::skinParameters;
using tivora::testing::unusualSkin;

namespace {

using SkinParams = tivora::testing::ScratchFolder;

// The key lines of a file ("key=value"), joined by blanks.
std::string keyLines(const std::string &text, bool namesOnly = false)
{
    static const std::regex keyLine("([^\n=]+)=([^\n]*)");
    std::string out;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), keyLine);
         it != std::sregex_iterator(); ++it)
        out += (out.empty() ? "" : " ") + (namesOnly ? (*it)[1].str() : (*it)[0].str());
    return out;
}

TOptions readFrom(const std::filesystem::path &file, int width, int height, int dpi,
                  TOptions start = unusualSkin())
{
    IniFile ini(file);
    readSkinParameters(ini, start, width, height, dpi);
    return start;
}

void writeTo(const std::filesystem::path &file, const TOptions &options)
{
    IniFile ini(file);
    writeSkinParameters(ini, options);
    ini.close();
}

const char *const WrittenOrder =
    "strlX strlY h24 hLen mLen sLen hColor mColor sColor fnt_Digits_name fnt_Digits_size "
    "fnt_Digits_color fnt_Digits_bold fnt_Digits_italic fnt_Digits_underline fnt_Date_name "
    "fnt_Date_size fnt_Date_color fnt_Date_bold fnt_Date_italic fnt_Date_underline "
    "fnt_Desc_name fnt_Desc_size fnt_Desc_color fnt_Desc_bold fnt_Desc_italic "
    "fnt_Desc_underline DigposX DigposY DateposX DateposY DescposX DescposY DigAl DateAl "
    "DescAl cWindth cHeight";

} // namespace

TEST_F(SkinParams, DefaultFileHoldsElevenKeysInOrder)
{
    IniFile ini(dir / "Default.ini");
    writeDefaultSkinIni(ini);
    ini.close();
    const std::string text = get(dir / "Default.ini");
    EXPECT_TRUE(std::regex_match(text,
                                 std::regex("\\[Main\\]\nInfo=[^\n]+\nstrlX=69\nstrlY=69\n"
                                            "hLen=25\nmLen=39\nsLen=39\nhColor=0\nmColor=0\n"
                                            "sColor=0\ncWindth=139\ncHeight=220\n")))
        << text;
}

TEST_F(SkinParams, MissingKeysGiveDefaultsAndPositionsFollowImageAndFonts)
{
    TOptions expected;
    expected.Digits = expected.Date = expected.Desc = FontSpec {"Arial", 18, 0, true, false, false, false};
    expected.DigposX = expected.DateposX = expected.DescposX = 69;
    expected.DigposY = 140, expected.DateposY = 164, expected.DescposY = 188;
    EXPECT_EQ(skinParameters(readFrom(dir / "none.ini", 139, 139, 96)), skinParameters(expected));
    EXPECT_FALSE(std::filesystem::exists(dir / "none.ini")) << "reading must not create it";

    put(dir / "a.ini", "[Main]\nstrlX=5\nstrlY=6\n");
    TOptions o = readFrom(dir / "a.ini", 200, 100, 96);
    EXPECT_EQ(std::tie(o.strlX, o.strlY, o.DigposX, o.DigposY, o.DescposX, o.DescposY),
              std::make_tuple(5, 6, 100, 101, 100, 149));

    // 10 pt at 120 dpi is 16.67 -> 17 pixels, 9 pt is 15; the centre of 51 is 25.
    put(dir / "b.ini", "[Main]\nfnt_Digits_size=10\nfnt_Date_size=9\nDateposY=3\n");
    o = readFrom(dir / "b.ini", 51, 40, 120);
    EXPECT_EQ(std::tie(o.DigposX, o.DigposY, o.DateposY, o.DescposY),
              std::make_tuple(25, 41, 3, 41 + 17 + 15));

    // Absurd font sizes saturate the positions instead of wrapping round.
    put(dir / "c.ini", "[Main]\nfnt_Digits_size=2147483647\nfnt_Date_size=2147483647\n");
    o = readFrom(dir / "c.ini", 139, 139, 96);
    EXPECT_EQ(std::tie(o.DateposY, o.DescposY), std::make_tuple(INT_MAX, INT_MAX));
}

TEST_F(SkinParams, FontPixelHeightRoundsToNearest)
{
    // points, dpi, pixels
    const int cases[][3] = {{18, 96, 24},
                            {7, 96, 9} /* 9.33 */,
                            {8, 96, 11} /* 10.67 */,
                            {3, 108, 5} /* 4.5: half away from zero */,
                            // sizes of 0 and less: the absolute value, at least 1 point
                            {-3, 108, 5},
                            {-18, 96, 24},
                            {0, 96, 1},
                            {0, 300, 4},
                            {INT_MAX, 96, INT_MAX},
                            {INT_MIN, 96, INT_MAX}};
    for (const auto &c : cases)
        EXPECT_EQ(fontPixelHeight(c[0], c[1]), c[2]) << c[0] << " at " << c[1];
}

TEST_F(SkinParams, ValueRules)
{
    put(dir / "a.ini",
        "[main]\nHLEN=-1\nmLen=65537\nsLen=0x1002A\nDigAl=258\nDateAl=-1\n"
        "DescAl=$101\ncWindth=70000\ncHeight=abc\nstrlX=12x\nstrlY= \"0x10\" \n"
        "sColor=99999999999\nh24=true\nfnt_Digits_bold=0\nfnt_Date_italic=1\n"
        "fnt_Date_underline=yes\nfnt_Desc_bold=2\nfnt_Desc_underline=1\n"
        "fnt_Desc_name=Liberation Mono\nfnt_Desc_color=255\n");
    TOptions start = unusualSkin();
    start.Desc.strikeOut = true; // never stored, so reading clears it
    const TOptions o = readFrom(dir / "a.ini", 139, 139, 96, start);
    // cWindth wraps to 4464, over the largest cell side: the built-in value instead.
    EXPECT_EQ(std::tie(o.hLen, o.mLen, o.sLen, o.cWindth, o.cHeight),
              std::make_tuple(65535, 1, 42, 193, 214));
    EXPECT_EQ(std::tie(o.DigAl, o.DateAl, o.DescAl), std::make_tuple(2, 255, 1));
    EXPECT_EQ(std::tie(o.strlX, o.strlY, o.sColor, o.h24), std::make_tuple(69, 16, 0, false));
    // Style flags start cleared, whatever the fonts held before.
    EXPECT_EQ(o.Digits, (FontSpec {"Arial", 18, 0, false, false, false, false}));
    EXPECT_EQ(o.Date, (FontSpec {"Arial", 18, 0, true, true, false, false}));
    EXPECT_EQ(o.Desc, (FontSpec {"Liberation Mono", 18, 255, false, false, true, false}));
    put(dir / "b.ini", "[Main]\nh24=1\n");
    EXPECT_TRUE(readFrom(dir / "b.ini", 139, 139, 96).h24);
}

TEST_F(SkinParams, WriteKeepsOtherKeysAndReadsBack)
{
    put(dir / "a.ini", "; mine\n[Main]\nInfo=hand made\nsLen=3\nCustom=kept\n[Other]\nx=1\n");
    writeTo(dir / "a.ini", unusualSkin());
    std::string text = get(dir / "a.ini");
    EXPECT_EQ(text.rfind("; mine\n[Main]\nInfo=hand made\nsLen=40000\nCustom=kept\nstrlX=-7\n", 0),
              0u)
        << text;
    std::string expected = std::regex_replace(WrittenOrder, std::regex(" sLen"), "");
    EXPECT_EQ(keyLines(text, true), "Info sLen Custom " + expected + " x");
    for (const char *line : {"hLen=65535", "DescAl=255", "mColor=-1", "DigposX=-2147483648",
                             "fnt_Date_size=-12", "h24=1", "fnt_Digits_bold=0"})
        EXPECT_NE(keyLines(text).find(line), std::string::npos) << line;
    EXPECT_EQ(skinParameters(readFrom(dir / "a.ini", 1, 1, 96, TOptions {})),
              skinParameters(unusualSkin()));

    // Writing again changes values in place and adds no line.
    writeTo(dir / "b.ini", TOptions {});
    writeTo(dir / "b.ini", unusualSkin());
    EXPECT_EQ(keyLines(get(dir / "b.ini"), true), WrittenOrder);
}
