// Rules of the options dialog: clock lines, the OK step, skin and city lists.
#include "core/test_base_support.h"
#include "core/time/time_zones.h"
#include "core/time/city_list.h"
#include "core/options/clock_lines.h"
#include "core/options/options_form.h"
#include "core/options/skin_list.h"

#include <map>

using namespace tivora;
namespace fs = std::filesystem;

TEST(ClockLines, ShowTheOffsetAnEntryStandsForAndReadBackToIt)
{
    struct Case
    {
        int hour, minute;
        const char *desc;
        const char *line;
        int readHour, readMinute; // the entry the line reads back as
    };
    const Case cases[] = {
        {3, 0, "", "+03:00 ", 3, 0},
        {0, 30, "  lead: spaces", "+00:30   lead: spaces", 0, 30},
        // Behind by a whole number of hours and a part: 60 x hour + minute.
        {-4, 30, "St Johns", "-03:30 St Johns", -4, 30},
        {-3, 30, "hand", "-02:30 hand", -3, 30},
        {-1, 30, "", "-00:30 ", -1, 30},
        {-24, 59, "a b", "-23:01 a b", -24, 59},
        // Hand-edited offsets beyond the usual width keep what they stand for.
        {120, 0, "Far", "+120:00 Far", 120, 0},
        {3, -5, "x", "+02:55 x", 2, 55},
        {-128, -128, "", "-130:08 ", -128, -128},
        {127, 127, "", "+129:07 ", 127, 127},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(clockLine(c.hour, c.minute, c.desc), c.line);
        EXPECT_EQ(readClockLine(c.line),
                  (TClock {std::int8_t(c.readHour), std::int8_t(c.readMinute), c.desc}))
            << c.line;
    }
    // Every offset an entry can hold survives the round trip; entries with their minute
    // in 0..59 come back as they were.
    for (int h = INT8_MIN; h <= INT8_MAX; ++h)
        for (int m = INT8_MIN; m <= INT8_MAX; ++m) {
            const TClock clock {std::int8_t(h), std::int8_t(m), " d"};
            const TClock back = readClockLine(clockLine(clock));
            ASSERT_EQ(back.sortKey(), clock.sortKey()) << h << ' ' << m;
            if (m >= 0 && m < 60) {
                ASSERT_EQ(back, clock) << h << ' ' << m;
            }
        }
}

TEST(ClockLines, ReadsShortAndDamagedLinesAsZero)
{
    const std::pair<const char *, TClock> cases[] = {
        {"+00:00", {0, 0, ""}},     {"", {0, 0, ""}},          {"abc", {0, 0, ""}},
        {"+x5:30 D", {0, 30, "D"}}, {"+05:y0 D", {5, 0, "D"}}, {"-05:30", {-6, 30, ""}},
    };
    for (const auto &[line, clock] : cases)
        EXPECT_EQ(readClockLine(line), clock) << line;
}

TEST(ClockLines, ListSkipsSystemTimeEntriesAndCommitClampsTheFields)
{
    const TClockList clocks {
        {-3, 0, "W"}, {0, 0, "System"}, {2, 0, "E"}, {0, 0, "hand"}, {0, 0, "City", "Europe/Kyiv"}};
    EXPECT_EQ(clockLines(clocks),
              (std::vector<std::string> {"-03:00 W", "+02:00 E", "+00:00 City"}));

    const std::tuple<const char *, const char *, const char *> commits[] = {
        {"-3", "30", "-03:30 "}, {"30", "0", "+24:00 "}, {"-99", "99", "-24:59 "},
        {"", "", "-24:00 "},     {"-", "x", "-24:00 "},  {" 7", "+5", "+07:05 "},
    };
    for (const auto &[hour, minute, line] : commits)
        EXPECT_EQ(committedLine(hour, minute, ""), line) << hour << ' ' << minute;
    EXPECT_EQ(committedLine("12", "5", "  Moscow"), "+12:05   Moscow");

    // Fields still showing what the selected line gave them change its description only.
    const std::tuple<const char *, const char *, const char *, const char *> over[] = {
        {"0", "30", "-00:30 Old", "-00:30 New"},
        {"24", "0", "+120:00 Old", "+120:00 New"},
        {"0", "0", "+00:00", "+00:00 New"},
        {"0", "45", "-00:30 Old", "+00:45 New"},
    };
    for (const auto &[hour, minute, before, line] : over)
        EXPECT_EQ(committedLine(hour, minute, "New", before), line) << before;
}

TEST(ClockLines, ACommitKeepsTheZoneOnlyWhileTheOffsetsStay)
{
    const std::tuple<const char *, const char *, const char *> commits[] = {
        {"-05:00 NY", "-05:00 New York", "America/New_York"},
        {"-05:00 NY", "-05:00 NY", "America/New_York"},
        {"-05:00 NY", "-04:00 NY", ""},
        {"-05:00 NY", "-05:30 NY", ""},
        {"+120:00 Far", "+24:00 Far", ""}, // a hand-edited hour clamped by the field
    };
    for (const auto &[before, after, zone] : commits)
        EXPECT_EQ(zoneAfterCommit(before, after, "America/New_York"), zone) << after;
}

TEST(OptionsForm, OkCopiesTheFormAndRebuildsTheListInLineOrder)
{
    WidgetModel model("/nonexistent", "/nonexistent/tivora.ini");
    model.clocks = {{-5, 0, "NY", "America/New_York"}, {0, 0, "System"}, {3, 0, "Moscow"}};
    OptionsFormValues form = formFromModel(model);
    EXPECT_EQ(form.lines, (std::vector<std::string> {"-05:00 NY", "+03:00 Moscow"}));
    EXPECT_EQ(form.zones, (std::vector<std::string> {"America/New_York", ""}));
    EXPECT_EQ(form.widthText, "10");
    form.showArray = false;
    form.showDelimiters = true;
    form.showSystemTime = false;
    form.sysTimeDesc = "Here";
    form.widthText = "7";
    form.activeTr = 128;
    form.passiveTr = 0;
    form.lines = {"+09:00 Tokyo", "-05:00 NY", "+00:00"};
    form.zones = {"Asia/Tokyo"}; // the other lines have none
    applyOptionsForm(form, model);
    const TOptions &o = model.options;
    EXPECT_FALSE(o.ShowArray);
    EXPECT_TRUE(o.ShowDelimiters);
    EXPECT_FALSE(o.ShowSystemTime) << "user clocks existed when the dialog opened";
    EXPECT_EQ(o.SysTimeDesc, "Here");
    EXPECT_EQ(o.Width, 7);
    EXPECT_EQ(o.ActiveTr, 128);
    EXPECT_EQ(o.PassiveTr, 0);
    EXPECT_EQ(
        model.clocks,
        (TClockList {{9, 0, "Tokyo", "Asia/Tokyo"}, {-5, 0, "NY"}, {0, 0, ""}, {0, 0, "Here"}}));
}

TEST(OptionsForm, SystemTimeIsForcedOnOnlyWhenTheListHeldNoUserClock)
{
    for (const bool hadUserClock : {false, true}) {
        WidgetModel model("/nonexistent", "/nonexistent/tivora.ini");
        model.clocks = {{0, 0, "System"}};
        if (hadUserClock)
            model.clocks.insert(model.clocks.begin(), TClock {2, 0, "E"});
        OptionsFormValues form = formFromModel(model);
        form.showSystemTime = false;
        form.lines =
            hadUserClock ? std::vector<std::string> {} : std::vector<std::string> {"+01:00 A"};
        applyOptionsForm(form, model);
        EXPECT_EQ(model.options.ShowSystemTime, !hadUserClock) << hadUserClock;
    }
}

TEST(OptionsForm, RowWidthIsKeptBetweenOneAndTwenty)
{
    const std::pair<const char *, int> cases[] = {
        {"", 1}, {"0", 1}, {"7", 7}, {"20", 20}, {"21", 20}, {"999", 20}, {"abc", 1}, {"0x0A", 10}};
    for (const auto &[text, width] : cases) {
        WidgetModel model("/nonexistent", "/nonexistent/tivora.ini");
        model.clocks = {{0, 0, "System"}};
        OptionsFormValues form = formFromModel(model);
        form.widthText = text;
        applyOptionsForm(form, model);
        EXPECT_EQ(model.options.Width, width) << '"' << text << '"';
    }
}

TEST(OptionsForm, OpacityPercentRoundsDown)
{
    const std::pair<int, const char *> cases[] = {
        {0, "0%"}, {1, "0%"}, {2, "0%"}, {3, "1%"}, {128, "50%"}, {254, "99%"}, {255, "100%"}};
    for (const auto &[position, text] : cases)
        EXPECT_EQ(opacityPercent(position), text) << position;
}

class SkinList : public tivora::testing::ScratchFolder
{
};

TEST_F(SkinList, ListsBmpFilesOnlyByNameWithoutExtension)
{
    for (const char *file :
         {"blue.bmp", "Red.BMP", "readme.txt", "blue.ini", ".bmp", "x.bmpx", "Ёлка.Bmp"})
        put(dir / file, "");
    fs::create_directory(dir / "old.bmp");
    fs::create_symlink(dir / "gone", dir / "dangling.bmp");
    put(dir / std::string("bad\xff.bmp"), "");
    const std::vector<std::string> names = skinNames(dir);
    EXPECT_EQ(names, (std::vector<std::string> {"blue", "Red", "Ёлка"}));

    EXPECT_TRUE(skinNames(dir / "missing").empty());
    const std::pair<const char *, int> picks[] = {{"Blue", 0}, {"red", 1},  {"ЁЛКА", 2},
                                                  {"", -1},    {"blu", -1}, {"blue.bmp", -1}};
    for (const auto &[current, index] : picks)
        EXPECT_EQ(findSkin(names, current), index) << current;
}

class CityList : public tivora::testing::ScratchFolder
{
protected:
    StandardOffsetLookup lookup = [this](const std::string &zone) -> std::optional<int> {
        const auto it = offsets.find(zone);
        return it == offsets.end() ? std::nullopt : std::optional<int>(it->second);
    };
    std::map<std::string, int> offsets {{"Europe/Moscow", 180},
                                        {"America/New_York", -300},
                                        {"Asia/Kolkata", 330},
                                        {"America/St_Johns", -210},
                                        {"America/Argentina/Buenos_Aires", -180},
                                        {"Etc/Nowhere", 0}};
};

TEST_F(CityList, ReadsTheZoneTableInFileOrderWithStandardOffsets)
{
    put(dir / "iso3166.tab",
        "# codes\nRU\tRussia\r\nUS\tUnited States\nIN\tIndia\nCA\tCanada\n"
        "AR\tArgentina\n");
    put(dir / "zone.tab",
        "# comment\n\n"
        "#RU\t+0000+00000\tEurope/Moscow\ta commented-out line holding tabs\n"
        "US\t+404251-0740023\tAmerica/New_York\tEastern (most areas)\n"
        "RU\t+554521+0373704\tEurope/Moscow\tMSK+00 - Moscow area\n"
        "IN\t+2232+08822\tAsia/Kolkata\n"
        "XX\t+0000+00000\tEtc/Nowhere\n"
        "CA\t+4734-05243\tAmerica/St_Johns\tNewfoundland\n"
        "AR\t-3436-05827\tAmerica/Argentina/Buenos_Aires\n"
        "ZZ\t+0000+00000\tUnknown/Zone\n"
        "broken line\n");
    const std::vector<CityZone> zones = readCityZones(dir, lookup);
    EXPECT_EQ(zones,
              (std::vector<CityZone> {
                  {"America/New_York", "New York, United States (UTC-05:00)", 300},
                  {"Europe/Moscow", "Moscow, Russia (UTC+03:00)", -180},
                  {"Asia/Kolkata", "Kolkata, India (UTC+05:30)", -330},
                  {"Etc/Nowhere", "Nowhere, XX (UTC+00:00)", 0},
                  {"America/St_Johns", "St John's, Canada (UTC-03:30)", 210},
                  {"America/Argentina/Buenos_Aires", "Buenos Aires, Argentina (UTC-03:00)", 180},
              }));

    // Local standard time UTC+3: items carry the zone's time minus local time, sorted
    // by city.
    std::vector<std::string> texts;
    for (const CityItem &item : cityItems(zones, -180))
        texts.push_back(item.text);
    EXPECT_EQ(texts,
              (std::vector<std::string> {
                  "Buenos Aires, Argentina (UTC-03:00)|-360",
                  "Kolkata, India (UTC+05:30)|150",
                  "Moscow, Russia (UTC+03:00)|0",
                  "New York, United States (UTC-05:00)|-480",
                  "Nowhere, XX (UTC+00:00)|-180",
                  "St John's, Canada (UTC-03:30)|-390",
              }));
    EXPECT_TRUE(readCityZones(dir / "missing", lookup).empty());
}

TEST(CityItems, CityNamesComeFromTheZoneNameOrTheCommentThatSpellsIt)
{
    const std::tuple<const char *, const char *, const char *> cases[] = {
        {"America/Argentina/Buenos_Aires", "Buenos Aires (BA, CF)", "Buenos Aires"},
        {"Antarctica/DumontDUrville", "", "Dumont-d'Urville"},
        {"Antarctica/DumontDUrville", "Dumont-d'Urville", "Dumont-d'Urville"},
        {"America/St_Johns", "Newfoundland, Labrador (SE)", "St John's"},
        {"Europe/Moscow", "MSK+00 - Moscow area", "Moscow"},
        {"Asia/Atyrau", "Atyrau/Atirau/Gur'yev", "Atyrau"},
        {"Asia/Ho_Chi_Minh", "", "Ho Chi Minh"},
        {"America/Port-au-Prince", "", "Port-au-Prince"},
        {"Foo/Bar_Baz", "Other; bar-baz", "bar-baz"},
        {"Foo/Qux", "Q.U.X. (the place)", "Q.U.X."},
        {"UTC", "", "UTC"},
    };
    for (const auto &[zone, comment, city] : cases)
        EXPECT_EQ(zoneCityName(zone, comment), city) << zone;
}

TEST(CityItems, SortIgnoringCaseAndKeepFileOrderOnTiesEachWithItsZone)
{
    const std::vector<CityZone> zones {{"a", "b", 0}, {"b", "B", 0}, {"c", "a", 0}, {"d", "b", 0}};
    EXPECT_EQ(cityItems(zones, 0),
              (std::vector<CityItem> {{"a|0", "c"}, {"b|0", "a"}, {"B|0", "b"}, {"b|0", "d"}}));
}

TEST(CityItems, NameAndOffsetOfAnItem)
{
    const std::tuple<const char *, const char *, std::optional<int>> cases[] = {
        {"(UTC+03:00) Moscow|-180", "(UTC+03:00) Moscow", -180},
        {"Name|330", "Name", 330},
        {"Name|+5", "Name", 5},
        {"Bar|in|name|60", "Bar", std::nullopt},
        {"No offset", "No offset", std::nullopt},
        {"Empty|", "Empty", std::nullopt},
        {"Hex|$10", "Hex", std::nullopt},
        {"Blank| 10", "Blank", std::nullopt},
        {"Huge|99999999999", "Huge", std::nullopt},
    };
    for (const auto &[item, name, offset] : cases) {
        EXPECT_EQ(cityItemName(item), name);
        EXPECT_EQ(cityItemOffset(item), offset) << item;
    }
}

TEST(CityItems, APickShowsTheOffsetAsItIs)
{
    const std::tuple<int, const char *, HourMinute> cases[] = {
        {330, "+05:30 D", {5, 30}},   {-180, "-03:00 D", {-3, 0}}, {-210, "-03:30 D", {-3, 30}},
        {-30, "-00:30 D", {0, 30}},   {1560, "+24:00 D", {24, 0}}, {-1590, "-24:30 D", {-24, 30}},
    };
    for (const auto &[minutes, line, fields] : cases) {
        EXPECT_EQ(offsetLine(minutes, "D"), line) << minutes;
        EXPECT_EQ(lineFields(line), fields) << line;
        if (std::abs(minutes) < 25 * 60) {
            EXPECT_EQ(readClockLine(line).sortKey(), minutes) << line;
        }
    }
}

TEST(CityItems, ZoneClocksTakeTheirOffsetsFromTheLocalZoneOfNow)
{
    const StandardOffsetLookup zones = [](const std::string &zone) -> std::optional<int> {
        static const std::map<std::string, int> offsets {
            {"Africa/Abidjan", 0}, {"Europe/Moscow", 180}, {"Asia/Kolkata", 330}};
        const auto it = offsets.find(zone);
        return it == offsets.end() ? std::nullopt : std::optional<int>(it->second);
    };
    // Picked under Moscow time, now read under Kolkata time.
    TClockList clocks {{-3, 0, "Abidjan", "Africa/Abidjan"}, {0, 0, "Moscow", "Europe/Moscow"},
                       {0, 0, "System"},
                       {1, 0, "Fixed"},
                       {2, 30, "Kolkata", "Asia/Kolkata"},
                       {5, 0, "Unknown", "Nowhere/Atlantis"}};
    EXPECT_TRUE(refreshZoneOffsets(clocks, zones, 330));
    EXPECT_EQ(clockLines(clocks), (std::vector<std::string> {"-05:30 Abidjan", "-02:30 Moscow",
                                                             "+00:00 Kolkata", "+01:00 Fixed",
                                                             "+05:00 Unknown"}));
    EXPECT_EQ(clocks[2], (TClock {0, 0, "System"})) << "ordered by the new offsets";
    EXPECT_EQ(clocks[0], (TClock {-6, 30, "Abidjan", "Africa/Abidjan"}));
    EXPECT_FALSE(refreshZoneOffsets(clocks, zones, 330));
}
