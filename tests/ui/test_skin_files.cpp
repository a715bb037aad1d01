#include "core/base/ini_file.h"
#include "core/bmp_test_support.h"
#include "core/skin_test_support.h"
#include "core/test_base_support.h"
#include "ui/render/qt_canvas.h"
#include "ui/skins/skin_files.h"

#include <cmath>

using namespace tivora;
using tivora::testing::bmp;
using tivora::testing::le16;
using tivora::testing::le32;
using tivora::testing::skinParameters;
using tivora::testing::unusualSkin;

namespace {

class SkinFiles : public tivora::testing::ScratchFolder
{
protected:
    std::filesystem::path in(const std::string &name) const { return dir / "Skins" / name; }
    void load() { LoadSkin(dir, options, bitmap, 96); }
    void save() { SaveSkin(dir, options, bitmap); }
    static void putImage(const std::filesystem::path &file, int width, int height)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::blue);
        ASSERT_TRUE(image.save(QString::fromStdString(file.string()), "BMP")) << file;
    }

    TOptions options;
    QtBitmap bitmap;
};

QImage builtIn()
{
    return builtInDefaultSkin().convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST_F(SkinFiles, BuiltInFaceIsCentredOnItsPivotOnPureWhite)
{
    const QImage face = builtIn();
    ASSERT_EQ(face.size(), QSize(139, 139));
    for (int y = 0; y < 139; ++y) {
        for (int x = 0; x < 139; ++x) {
            // Pure white all round the dial, and nowhere on the dial itself.
            const double r = std::hypot(x - 68, y - 68);
            if (r > 68.0 || r < 60.0) {
                ASSERT_EQ(face.pixel(x, y) == qRgb(255, 255, 255), r > 68.0) << x << ',' << y;
            }
        }
    }
    for (int r = 60; r <= 68; ++r) { // the ring lies as far from the pivot every way
        const int left = qGray(face.pixel(68 - r, 68));
        EXPECT_NEAR(left, qGray(face.pixel(68 + r, 68)), 40) << r;
        EXPECT_NEAR(left, qGray(face.pixel(68, 68 - r)), 40) << r;
        EXPECT_NEAR(left, qGray(face.pixel(68, 68 + r)), 40) << r;
    }
    EXPECT_LT(qGray(face.pixel(3, 68)), 100);
}

TEST_F(SkinFiles, FirstStartCreatesDefaultSkinAndNeverOverwritesIt)
{
    load();
    const std::string bmp = get(in("Default.bmp"));
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(std::string(bmp, 18, 8), std::string("\x8b\0\0\0\x8b\0\0\0", 8)); // 139 x 139
    EXPECT_EQ(bmp[28], 24);
    EXPECT_EQ(get(in("Default.ini")).rfind("[Main]\nInfo=", 0), 0u);
    EXPECT_EQ(options.Skin, "Default");
    EXPECT_EQ(bitmap.image(), builtIn());
    EXPECT_EQ(std::tie(options.cWindth, options.cHeight, options.DigposY, options.DescposY),
              std::make_tuple(139, 220, 140, 188));

    putImage(in("Default.bmp"), 30, 20);
    std::filesystem::remove(in("Default.ini"));
    load();
    EXPECT_EQ(std::make_tuple(bitmap.width(), options.cWindth, options.DigposY),
              std::make_tuple(30, 139, 21));
    put(in("Default.ini"), "[Main]\ncWindth=77\n");
    std::filesystem::remove(in("Default.bmp"));
    load();
    EXPECT_EQ(get(in("Default.ini")), "[Main]\ncWindth=77\n");
    EXPECT_EQ(std::tie(options.cWindth, options.cHeight), std::make_tuple(77, 214));
    EXPECT_EQ(bitmap.image(), builtIn());
}

TEST_F(SkinFiles, SettlesWhichSkinIsCurrent)
{
    std::filesystem::create_directory(dir / "Skins");
    putImage(in("Night.BMP"), 200, 100);
    put(in("night.ini"), "[Main]\nstrlX=5\n");
    options.Skin = "Night";
    load();
    EXPECT_TRUE(std::filesystem::exists(in("Default.bmp")));
    EXPECT_TRUE(std::filesystem::exists(in("Default.ini")));
    EXPECT_EQ(options.Skin, "Night");
    EXPECT_EQ(std::make_tuple(bitmap.width(), options.strlX, options.DigposX, options.DigposY),
              std::make_tuple(200, 5, 100, 101));
    options.hLen = 9; // saved into the same file, none added
    save();
    EXPECT_NE(get(in("night.ini")).find("hLen=9"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(in("Night.ini")));

    // A half skin, a folder posing as an image, a name leading out of the folder.
    putImage(in("Half.bmp"), 40, 40);
    std::filesystem::create_directory(in("Folder.bmp"));
    put(in("Folder.ini"), "[Main]\n");
    putImage(dir / "Out.bmp", 40, 40);
    put(dir / "Out.ini", "[Main]\nhLen=3\n");
    for (const std::string name : {"Half", "Folder", "../Out", "", "Missing"}) {
        options.Skin = name;
        load();
        EXPECT_EQ(std::make_tuple(options.Skin, options.hLen, bitmap.width()),
                  std::make_tuple(std::string("Default"), 25, 139))
            << name;
    }
    options.Skin = "../Out";
    EXPECT_THROW(save(), SkinError);
    EXPECT_EQ(get(dir / "Out.ini"), "[Main]\nhLen=3\n");
}

TEST_F(SkinFiles, ImageThatCannotBeLoadedChangesNothing)
{
    load();
    put(in("Junk.bmp"), "BM\x13\x07 garbage bytes that are no image");
    // A header claiming 100000 x 100000 pixels must fail without allocating them.
    put(in("Huge.bmp"),
        std::string("BM\0\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\xa0\x86\x01\0"
                    "\xa0\x86\x01\0\x01\0\x18\0",
                    30)
            + std::string(24, '\0'));
    QImage(20, 20, QImage::Format_RGB32)
        .save(QString::fromStdString(in("Png.bmp").string()), "PNG");
    // Damaged files: pixel rows cut short, pixels past the end, an RLE stream cut short.
    putImage(in("Short.bmp"), 40, 40);
    const std::string whole = get(in("Short.bmp"));
    put(in("Short.bmp"), whole.substr(0, whole.size() - 200));
    put(in("Offset.bmp"), whole.substr(0, 10) + le32(whole.size() + 1) + whole.substr(14));
    put(in("Rle.bmp"), bmp(4, 4, 8, 1, {0xffffff}, std::string("\x04\0\0\0", 4)));
    const char *const names[] = {"Junk", "Huge", "Png", "Short", "Offset", "Rle"};
    for (const char *name : names)
        put(in(std::string(name) + ".ini"), "[Main]\n");

    const TOptions before = unusualSkin();
    for (const std::string name : names) {
        options = before;
        options.Skin = name;
        EXPECT_THROW(load(), SkinError) << name;
        EXPECT_EQ(options.Skin, name);
        EXPECT_EQ(skinParameters(options), skinParameters(before)) << name;
        EXPECT_EQ(bitmap.image(), builtIn()) << name;
    }
}

TEST_F(SkinFiles, BuiltInSkinIsTheNewDefaultSkin)
{
    options = unusualSkin();
    options.Skin = "Night";
    useBuiltInSkin(options, bitmap, 96);
    EXPECT_EQ(options.Skin, "Night");
    const TOptions builtInSkin = options;
    options = unusualSkin();
    load(); // creates and reads the default skin
    EXPECT_EQ(skinParameters(builtInSkin), skinParameters(options));
    EXPECT_EQ(bitmap.image(), builtIn());
}

TEST_F(SkinFiles, SixteenBitWhiteStaysWhite)
{
    load();
    put(in("Hi.bmp"), bmp(2, 1, 16, 0, {}, le16(0x7fff) + le16(0x7c00)));
    put(in("Hi.ini"), "[Main]\n");
    options.Skin = "Hi";
    load();
    EXPECT_EQ(bitmap.pixel(0, 0), White);
    EXPECT_EQ(bitmap.pixel(1, 0), (Color {255, 0, 0}));
}

TEST_F(SkinFiles, SaveSkinReloadsImageAndWritesParameters)
{
    load();
    const std::string info = get(in("Default.ini")).substr(0, get(in("Default.ini")).find('\n', 7));
    putImage(in("Default.bmp"), 50, 40);
    options.cWindth = 10;
    options.DescposY = -3;
    save();
    EXPECT_EQ(bitmap.width(), 50);
    const std::string text = get(in("Default.ini"));
    EXPECT_EQ(text.rfind(info + "\n", 0), 0u) << text;
    EXPECT_NE(text.find("\ncWindth=10\n"), std::string::npos) << text;
    TOptions reloaded;
    LoadSkin(dir, reloaded, bitmap, 96);
    EXPECT_EQ(skinParameters(reloaded), skinParameters(options));

    std::filesystem::remove(in("Default.bmp")); // no image: nothing written
    options.hLen = 1;
    EXPECT_THROW(save(), SkinError);
    EXPECT_EQ(get(in("Default.ini")), text);
}

TEST_F(SkinFiles, UnwritableFilesRaiseErrors)
{
    put(dir / "Skins", "a file where the folder should be");
    EXPECT_THROW(load(), SkinError);
    EXPECT_EQ(bitmap.image(), builtIn());
    std::filesystem::remove(dir / "Skins");

    std::filesystem::create_directory(dir / "Skins");
    setMode(dir / "Skins", 0555);
    options = unusualSkin();
    bitmap = QtBitmap();
    EXPECT_THROW(load(), SkinError);
    EXPECT_EQ(bitmap.image(), builtIn());
    EXPECT_EQ(skinParameters(options), skinParameters(unusualSkin()));
    EXPECT_FALSE(std::filesystem::exists(in("Default.bmp")));

    setMode(dir / "Skins", 0755);
    load();
    setMode(in("Default.ini"), 0444);
    const std::string ini = get(in("Default.ini"));
    EXPECT_THROW(save(), IniWriteError);
    EXPECT_EQ(get(in("Default.ini")), ini);
}
