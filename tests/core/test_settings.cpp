#include "core/model/manifest.h"
#include "core/model/settings.h"
#include "core/model/snap.h"
#include "core/base/ini_file.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

using namespace tivora;
namespace fs = std::filesystem;

namespace {

class Settings : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/tivora-settings-XXXXXX";
        dir = mkdtemp(pattern);
        file = dir / "tivora.ini";
    }
    void TearDown() override
    {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }
    void write(const std::string &text) { std::ofstream(file, std::ios::binary) << text; }
    std::string read() const
    {
        std::ifstream in(file, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void load()
    {
        IniFile ini(file);
        loadSettings(ini, options, placement, clocks);
    }
    void save()
    {
        IniFile ini(file);
        writeSettings(ini, options, placement, clocks);
        ini.close();
    }

    fs::path dir;
    fs::path file;
    TOptions options;
    WindowPlacement placement;
    TClockList clocks;
};

} // namespace

namespace tivora {
void PrintTo(const TClock &c, std::ostream *os)
{
    *os << int(c.hour) << ":" << int(c.minute) << " " << c.desc << " " << c.zone;
}
} // namespace tivora

TEST_F(Settings, MissingFileGivesTheDefaults)
{
    placement = {false, 11, 22};
    load();
    const TOptions defaults;
    EXPECT_EQ(options.Width, 10);
    EXPECT_TRUE(options.ShowArray && options.ShowDigits && options.ShowDate && options.ShowDesc);
    EXPECT_FALSE(options.ShowDelimiters || options.ShowWhiteBG || options.ShowTextWhiteBG);
    EXPECT_TRUE(options.ShowSystemTime);
    EXPECT_EQ(options.Skin, "");
    EXPECT_EQ(options.ActiveTr, 255);
    EXPECT_EQ(options.PassiveTr, 255);
    EXPECT_EQ(options.SysTimeDesc, "System");
    EXPECT_TRUE(placement.stayOnTop);
    // The position defaults are the window's own current position.
    EXPECT_EQ(placement.top, 11);
    EXPECT_EQ(placement.left, 22);
    EXPECT_EQ(clocks, (TClockList {{0, 0, "System"}}));
    EXPECT_FALSE(fs::exists(file)) << "loading must not write";
}

TEST_F(Settings, ValuesKeepTheirLowBitsAndFollowTheTextRules)
{
    write("[main]\nwidth=266\nShowArray=true\nShowDate=0\nActiveTr=0x80\nPassiveTr=-1\n"
          "StayOnTop=yes\npTop=-40\npLeft=$10\nSysTimeDesc=  \"Local\"  \n"
          "[TIVORA]\nClock_01_h=250\nClock_01_m=30\nclock_01_desc=Far\n");
    load();
    EXPECT_EQ(options.Width, 10);
    EXPECT_FALSE(options.ShowArray) << "only exactly 1 is true";
    EXPECT_FALSE(options.ShowDate);
    EXPECT_EQ(options.ActiveTr, 128);
    EXPECT_EQ(options.PassiveTr, 255);
    EXPECT_FALSE(placement.stayOnTop);
    EXPECT_EQ(placement.top, -40);
    EXPECT_EQ(placement.left, 16);
    EXPECT_EQ(options.SysTimeDesc, "Local");
    ASSERT_EQ(clocks.size(), 2u);
    EXPECT_EQ(clocks[0], (TClock {-6, 30, "Far"}));
    EXPECT_EQ(clocks[1], (TClock {0, 0, "Local"}));
}

TEST_F(Settings, ClockListEndsAtTheFirstMissingHourKey)
{
    write("[Tivora]\nClock_01_h=3\nClock_02_h=1\nClock_02_m=15\nClock_02_Desc=B\n"
          "Clock_04_h=5\nClock_04_Desc=D\n");
    load();
    EXPECT_EQ(clocks, (TClockList {{0, 0, "System"}, {1, 15, "B"}, {3, 0, ""}}));
    save();
    const std::string text = read();
    EXPECT_NE(text.find("Clock_02_h=3"), std::string::npos);
    EXPECT_EQ(text.find("Clock_03"), std::string::npos);
    EXPECT_EQ(text.find("Clock_04"), std::string::npos);
}

TEST_F(Settings, SaveWritesMainInItsOrderAndNumbersUserClocksInListOrder)
{
    write("; my "
          "notes\n[Main]\nCustom=kept\nWidth=4\n[Tivora]\nClock_01_h=9\nClock_07_h=2\n[Other]\nx="
          "1\n");
    options.Width = 3;
    options.PassiveTr = 200;
    options.Skin = "Default";
    placement = {true, 263, -373};
    clocks = {{3, 0, "A"}, {-5, 0, "B"}, {0, 0, "System"}, {0, 30, "C"}};
    save();
    EXPECT_EQ(read(),
              "; my notes\n[Main]\nCustom=kept\nWidth=3\nShowArray=1\nShowDate=1\n"
              "ShowDesc=1\nShowDigits=1\nShowDelimiters=0\nShowWhiteBG=0\n"
              "ShowTextWhiteBG=0\nShowSystemTime=1\nSkin=Default\nActiveTr=255\n"
              "PassiveTr=200\nStayOnTop=1\nSysTimeDesc=System\npTop=263\npLeft=-373\n"
              "[Other]\nx=1\n[Tivora]\nClock_01_h=3\nClock_01_m=0\nClock_01_Desc=A\n"
              "Clock_02_h=-5\nClock_02_m=0\nClock_02_Desc=B\nClock_03_h=0\n"
              "Clock_03_m=30\nClock_03_Desc=C\n");
}

TEST_F(Settings, ZonesAreKeptWithTheirClocksAndNamesThatCannotBeZonesAreDropped)
{
    write("[Tivora]\nClock_01_h=-5\nClock_01_Desc=NY\nClock_01_Zone=America/New_York\n"
          "Clock_02_h=1\nClock_02_Zone=../../etc/passwd\nClock_03_h=2\nClock_03_Zone=Mars/Olympus\n"
          "Clock_04_h=3\nClock_04_Zone=\nClock_05_h=4\nClock_05_Zone=Etc/GMT+5\n"
          "Clock_06_h=5\nClock_06_Zone=Europe//Paris\n");
    load();
    EXPECT_EQ(clocks,
              (TClockList {{-5, 0, "NY", "America/New_York"},
                           {0, 0, "System"},
                           {1, 0, ""},
                           {2, 0, "", "Mars/Olympus"},
                           {3, 0, ""},
                           {4, 0, "", "Etc/GMT+5"},
                           {5, 0, ""}}));
    // Saved in list order, the zone numbered with its entry; the system-time entry and
    // fixed clocks write no zone.
    // A city at the local standard time is a clock of its own, not the system time.
    clocks = {{0, 0, "System"}, {3, 0, "A", "Europe/Moscow"}, {1, 0, "B"}, {0, 0, "C", "X/Y"}};
    save();
    EXPECT_EQ(read().substr(read().find("[Tivora]")),
              "[Tivora]\nClock_01_h=3\nClock_01_m=0\nClock_01_Desc=A\n"
              "Clock_01_Zone=Europe/Moscow\nClock_02_h=1\nClock_02_m=0\nClock_02_Desc=B\n"
              "Clock_03_h=0\nClock_03_m=0\nClock_03_Desc=C\nClock_03_Zone=X/Y\n");
}

TEST_F(Settings, AFileWithoutZoneKeysIsSavedByteForByte)
{
    const std::string text =
        "[Main]\nWidth=10\nShowArray=1\nShowDate=1\nShowDesc=1\nShowDigits=1\n"
        "ShowDelimiters=0\nShowWhiteBG=0\nShowTextWhiteBG=0\nShowSystemTime=1\nSkin=Default\n"
        "ActiveTr=255\nPassiveTr=200\nStayOnTop=1\nSysTimeDesc=System\npTop=263\npLeft=373\n"
        "[Tivora]\nClock_01_h=-5\nClock_01_m=0\nClock_01_Desc=New York\nClock_02_h=3\n"
        "Clock_02_m=30\nClock_02_Desc=Tehran\n";
    write(text);
    load();
    save();
    EXPECT_EQ(read(), text);
}

TEST_F(Settings, OnlySystemClocksLeaveNoClockSection)
{
    write("[Main]\nWidth=2\n[Tivora]\nClock_01_h=0\nClock_01_m=0\nClock_01_Desc=Zero\n");
    load();
    EXPECT_EQ(clocks.size(), 2u) << "a hand-written 0:00 clock is loaded";
    save();
    EXPECT_EQ(read().find("Tivora"), std::string::npos);
}

TEST_F(Settings, SaveToReadOnlyFileFailsAndChangesNothing)
{
    write("[Main]\nWidth=4\n");
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    options.Width = 7;
    EXPECT_THROW(save(), IniWriteError);
    EXPECT_EQ(read(), "[Main]\nWidth=4\n");
}

TEST_F(Settings, ThousandsOfClocksRoundTrip)
{
    for (int i = 0; i < 3000; ++i)
        clocks.push_back(
            TClock {std::int8_t(i % 49 - 24), std::int8_t(i % 59 + 1), "c" + std::to_string(i)});
    clocks.push_back({0, 0, "System"});
    SortClocks(clocks);
    const TClockList saved = clocks;
    save();
    clocks.clear();
    load();
    EXPECT_EQ(clocks, saved);
}

TEST(SortClocks, IsStableAndAscending)
{
    TClockList list {{3, 0, "first"},  {-5, 0, "w"},      {3, 0, "second"},
                     {0, 0, "System"}, {-5, 30, "-4:30"}, {0, 0, "zero"}};
    SortClocks(list);
    EXPECT_EQ(list,
              (TClockList {{-5, 0, "w"},
                           {-5, 30, "-4:30"},
                           {0, 0, "System"},
                           {0, 0, "zero"},
                           {3, 0, "first"},
                           {3, 0, "second"}}));
}

TEST(SortClocks, ExtremeHandEditedOffsetsSortLikeAnyOther)
{
    // 127:127 is the largest key the file can hold; it must neither vanish nor
    // duplicate another entry.
    TClockList list {{127, 127, "max"}, {1, 0, "one"}, {-128, -128, "min"}, {127, 127, "max2"}};
    SortClocks(list);
    EXPECT_EQ(
        list,
        (TClockList {{-128, -128, "min"}, {1, 0, "one"}, {127, 127, "max"}, {127, 127, "max2"}}));
}

TEST(Snap, EdgesWithinEightPixelsSnapAndRightAndBottomWin)
{
    const WorkArea area {0, 0, 1280, 1000};
    EXPECT_EQ(snapToWorkArea({8, 300}, 100, 50, area), (Point {0, 300}));
    EXPECT_EQ(snapToWorkArea({9, 300}, 100, 50, area), (Point {9, 300}));
    EXPECT_EQ(snapToWorkArea({-8, -8}, 100, 50, area), (Point {0, 0}));
    EXPECT_EQ(snapToWorkArea({-9, 500}, 100, 50, area), (Point {-9, 500}));
    // Right and bottom edges lie just outside the area: flush means left = right - width.
    EXPECT_EQ(snapToWorkArea({1188, 958}, 100, 50, area), (Point {1180, 950}));
    EXPECT_EQ(snapToWorkArea({1189, 959}, 100, 50, area), (Point {1189, 959}));
    EXPECT_EQ(snapToWorkArea({1171, 941}, 100, 50, area), (Point {1171, 941}));
    // A window nearly as wide as the area: both tests hold, the right edge wins.
    EXPECT_EQ(snapToWorkArea({4, 4}, 1275, 995, area), (Point {5, 5}));
    // A work area that does not start at the origin (a panel on the left and top).
    const WorkArea panel {64, 30, 1280, 1000};
    EXPECT_EQ(snapToWorkArea({70, 36}, 100, 50, panel), (Point {64, 30}));
    EXPECT_EQ(snapToWorkArea({55, 21}, 100, 50, panel), (Point {55, 21}));
}

// Two screens side by side, the left one with a panel of 30 pixels at its top; a third
// below the right one.
const std::vector<ScreenArea> Screens {
    {{0, 0, 1280, 1024}, {0, 30, 1280, 1024}},
    {{1280, 0, 3200, 1080}, {1280, 0, 3200, 1080}},
    {{1280, 1080, 2560, 2104}, {1280, 1080, 2560, 2104}},
};

TEST(Snap, EachScreenSnapsToItsOwnEdges)
{
    const std::tuple<Point, Point> cases[] = {
        {{1185, 300}, {1180, 300}}, // the left screen's right edge
        {{1286, 300}, {1280, 300}}, // the right screen's left edge
        {{600, 35}, {600, 30}}, // below the panel
        {{3095, 1025}, {3100, 1030}}, // the right screen's corner
        {{1500, 1074}, {1500, 1080}}, // mostly on the lower screen: its top edge
        {{5000, 500}, {5000, 500}}, // off every screen: the nearest has no edge near
    };
    for (const auto &[wanted, snapped] : cases)
        EXPECT_EQ(snapToScreens(wanted, 100, 50, Screens), snapped) << wanted.x;
    EXPECT_EQ(snapToScreens({3, 3}, 100, 50, {}), (Point {3, 3}));
}

TEST(Snap, AWindowWithoutFortyPixelsOnAnyScreenMovesOntoTheNearest)
{
    const std::tuple<Point, int, int, Point> cases[] = {
        {{1240, 500}, 100, 50, {1240, 500}}, // 40 pixels on the left screen
        {{1241, -10}, 100, 50, {1241, -10}}, // 39 wide on one, the rest on the other
        {{100, -11}, 100, 50, {100, 30}}, // 39 high: into the work area below the panel
        {{1833, 500}, 100, 50, {1833, 500}},
        {{3170, 1054}, 100, 50, {3100, 1030}}, // 30 x 26 in the corner
        {{4000, -900}, 100, 50, {3100, 0}}, // far off: the nearest screen
        {{-5000, 3000}, 100, 50, {0, 974}},
        {{2600, 2200}, 100, 50, {2460, 2054}}, // below the lower screen
        {{-30, 0}, 30, 20, {0, 30}}, // a small window needs all of it shown
        {{-1, 40}, 30, 20, {0, 40}},
        {{-2000, 1200}, 1400, 2000, {0, 30}}, // larger than the work area: its corner
        {{2147483600, 2147483600}, 100, 50, {2460, 2054}},
    };
    for (const auto &[at, w, h, placed] : cases)
        EXPECT_EQ(keepReachable(at, w, h, Screens), placed) << at.x << "," << at.y;
    EXPECT_EQ(keepReachable({-500, -500}, 100, 50, {}), (Point {-500, -500}));
}

TEST(Manifest, IsOneLineOfXmlEndingInCrLf)
{
    const std::string text = manifestText();
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(text.find('\n'), text.size() - 1);
    EXPECT_EQ(
        text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><assembly", 0),
        0u);
    EXPECT_NE(
        text.find("<assemblyIdentity version=\"1.0.0.0\" processorArchitecture=\"X86\" "
                  "name=\"company\" type=\"win32\" /><description>not necessary</description>"),
        std::string::npos);
    EXPECT_NE(text.find("language=\"*\" /></dependentAssembly></dependency></assembly>\r\n"),
              std::string::npos);
}
