#include "core/time/local_clock.h"
#include "core/time/moment_text.h"
#include "core/time/scrub.h"
#include "core/recording_canvas.h"
#include "core/render/clock_grid.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace tivora;
using namespace tivora::test;

namespace {

std::string shown(const LocalDateTime &t)
{
    return formatTime(t, ":") + " " + formatDate(t);
}

// Paris: winter time (+1) until 29 March 2026 01:00 UTC, summer time (+2) until 25
// October 2026 01:00 UTC, then winter time again.
int parisOffset(std::int64_t utc)
{
    return utc >= 1774746000 && utc < 1792890000 ? 7200 : 3600;
}

struct Paris : TimeZones
{
    std::optional<int> utcOffset(const std::string &zone, std::int64_t utc) const override
    {
        return zone == "Europe/Paris" ? std::optional<int>(parisOffset(utc)) : std::nullopt;
    }
};

} // namespace

TEST(Scrub, StepsWheelDeltasAndLimits)
{
    // q/h/d: that many key steps of 15 min, 1 h, 1 day; w/W: a wheel delta, plain or with
    // Shift.
    const struct Case
    {
        const char *steps;
        bool active;
        long long shift;
    } cases[] = {
        {"q1", true, 15},
        {"h1", true, 60},
        {"d1", true, 1440},
        {"q1 q1 q-1", true, 15},
        {"h-1 q1", true, -45},
        {"q1 q-1", true, 0}, // back at now's minute, still scrubbed
        {"d400", true, Scrub::MaxShiftMinutes},
        {"d-400 h-1", true, -Scrub::MaxShiftMinutes},
        {"w120", true, 15},
        {"W240", true, 120},
        {"w40 w40", false, 0},
        {"w40 w40 w40", true, 15},
        {"w80 w-40 w-80", true, -15}, // a turn back drops the rest
        {"w200 w40", true, 30},
    };
    for (const Case &c : cases) {
        Scrub s;
        std::istringstream steps(c.steps);
        for (std::string step; steps >> step;) {
            const int n = std::stoi(step.substr(1));
            const ScrubStep kind = step[0] == 'd' ? ScrubStep::Day
                : step[0] == 'h' || step[0] == 'W' ? ScrubStep::Hour
                                                    : ScrubStep::Quarter;
            if (step[0] == 'w' || step[0] == 'W')
                s.wheel(n, kind);
            else
                s.step(kind, n);
        }
        EXPECT_EQ(s.active(), c.active) << c.steps;
        EXPECT_EQ(s.shiftMinutes(), c.shift) << c.steps;
        s.reset();
        EXPECT_FALSE(s.active());
        EXPECT_EQ(s.wheel(80, ScrubStep::Quarter), 0) << "the rest went with the reset";
    }
}

TEST(Scrub, EveryFaceShowsTheMomentAcrossDaylightSavingChanges)
{
    const Paris zones;
    const TClock paris {1, 0, "Paris", "Europe/Paris"}, fixed {1, 0, "UTC+1"}, system {0, 0, ""};
    const struct Case
    {
        LocalDateTime now;
        long long shift;
        const TClock &clock;
        const char *shows;
    } cases[] = {
        // Seen from UTC: the zone's clock jumps an hour in March and goes back in October.
        {{2026, 3, 29, 0, 40, 30}, 15, paris, "01:55:00 29.03.2026"},
        {{2026, 3, 29, 0, 40, 30}, 30, paris, "03:10:00 29.03.2026"},
        {{2026, 3, 28, 1, 10, 59}, 1440, paris, "03:10:00 29.03.2026"},
        {{2026, 10, 25, 0, 50, 10}, 0, paris, "02:50:00 25.10.2026"},
        {{2026, 10, 25, 0, 50, 10}, 15, paris, "02:05:00 25.10.2026"},
        {{2026, 10, 25, 0, 50, 10}, -60 * 24 * 30, paris, "02:50:00 25.09.2026"},
        {{2026, 3, 29, 0, 40, 30}, 30, fixed, "02:10:00 29.03.2026"},
        // Seen from Paris itself: the system time and the clocks counted from it follow
        // the local zone's change.
        {{2026, 3, 29, 1, 40, 30, 3600}, 30, system, "03:10:00 29.03.2026"},
        {{2026, 3, 29, 1, 40, 30, 3600}, 30, fixed, "04:10:00 29.03.2026"},
        {{2026, 10, 25, 2, 50, 0, 7200}, 15, system, "02:05:00 25.10.2026"},
    };
    for (const Case &c : cases) {
        const auto localOffset = [&c](std::int64_t utc) {
            return c.now.utcOffset == 0 ? 0 : parisOffset(utc);
        };
        const LocalDateTime t = scrubbedTime(c.now, c.shift, localOffset);
        EXPECT_EQ(shown(faceTime(t, c.clock, &zones)), c.shows)
            << shown(c.now) << " + " << c.shift << " " << c.clock.desc;
    }
}

TEST(Scrub, ShiftTexts)
{
    const MessageTable builtIn;
    MessageTable english; // the built-in patterns with the day's English abbreviation
    english.setText(MsgLaterDays, "+{d} d {h}:{mm}");
    english.setText(MsgEarlierDays, "\u2212{d} d {h}:{mm}");
    MessageTable reordered;
    reordered.setText(MsgLater, "in {h} h {mm} min {x}");
    const struct Case
    {
        long long minutes;
        const MessageTable &messages;
        const char *text;
    } cases[] = {
        {15, english, "+0:15"},
        {23 * 60 + 45, english, "+23:45"},
        {24 * 60, english, "+1 d 0:00"},
        {-15, english, "\u22120:15"},
        {-(27 * 60), english, "\u22121 d 3:00"},
        {0, english, "+0:00"},
        {-(27 * 60), builtIn, "\u22121 д 3:00"},
        {135, reordered, "in 2 h 15 min {x}"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(shiftText(c.minutes, c.messages), c.text) << c.minutes;
}

TEST(Scrub, FacesCarryTheMarkerAndOneTheShift)
{
    const TClock west {-1, 0, "West"}, system {0, 0, "System"}, east {2, 0, "East"};
    const struct Case
    {
        bool showSystemTime, showDesc;
        std::vector<std::string> descs; // the description texts in drawing order
        int shiftLeft; // where the shift's text starts
    } cases[] = {
        {true, true, {"West", "+0:15", "East"}, 139 + 50},
        {false, true, {"+0:15", "East"}, 50},
        {true, false, {"+0:15"}, 50},
    };
    for (const Case &c : cases) {
        TOptions o;
        o.Width = 3;
        o.cWindth = 139;
        o.cHeight = 220;
        o.ShowSystemTime = c.showSystemTime;
        o.ShowDesc = c.showDesc;
        o.ShowDate = false;
        o.DescposX = 50;
        o.hColor = 0x0000ff;
        SolidBitmap skin {{1, 2, 3}};
        RecordingCanvas canvas;
        FaceContext ctx {o, skin, {2026, 12, 7, 10, 15, 0}, ":"};
        ctx.scrubbed = true;
        ctx.scrubText = "+0:15";
        composeGrid(canvas, ctx, {west, system, east});

        std::vector<std::string> descs;
        for (const Op &op : canvas.ofKind(Op::TextOut)) {
            const bool digits = op.text.size() == 8 && op.text[2] == ':';
            EXPECT_EQ(op.font.italic, digits || op.text == "+0:15") << op.text;
            if (!digits)
                descs.push_back(op.text);
            if (op.text == "+0:15") {
                EXPECT_EQ(op.v[0], c.shiftLeft - 25); // centred on DescposX
            }
        }
        EXPECT_EQ(descs, c.descs) << c.showSystemTime << c.showDesc;
        // The frame of every face, just inside its cell, in the hour hand's colour.
        const auto frames = canvas.ofKind(Op::Rectangle);
        ASSERT_EQ(frames.size(), c.showSystemTime ? 3u : 2u);
        EXPECT_EQ(frames[1].v, (std::vector<int> {140, 1, 277, 219}));
        EXPECT_EQ(frames[1].pen, (Pen {Color::fromRef(o.hColor), 1}));
        EXPECT_FALSE(frames[1].brush.solid);
    }
}

TEST(MomentText, LocalTimesAndZoneSuffixes)
{
    // What the text names: a local time, an offset from UTC in seconds, or nothing.
    const auto read = [](const char *text) -> std::string {
        const std::optional<MomentText> m = parseMoment(text);
        return !m ? "bad" : m->hasOffset ? std::to_string(m->time.utcOffset) : "local";
    };
    const std::pair<const char *, const char *> cases[] = {
        {"2027-03-14T09:00:00", "local"},      {"2027-03-14 09:00:00", "local"},
        {"2027-03-14T09:00:00+01:00", "3600"}, {"2027-03-14T09:00:00Z", "0"},
        {"2027-03-14T09:00:00-05:30", "-19800"}, {"2027-03-14T09:00:00+0545", "20700"},
        {"2027-03-14T09:00:00+14", "50400"},   {"2024-02-29T23:59:59", "local"},
        {"2027-02-29T00:00:00", "bad"},        {"2026-13-01T00:00:00", "bad"},
        {"2027-03-14T24:00:00", "bad"},        {"2027-03-14T09:00:60", "bad"},
        {"2027-03-14T09:00:00+19:00", "bad"},  {"2027-03-14T09:00:00+01:60", "bad"},
        {"2027-03-14T09:00:00+1", "bad"},      {"2027-03-14T09:00:00 ", "bad"},
        {"2027-3-14T09:00:00", "bad"},         {"", "bad"},
    };
    for (const auto &[text, names] : cases)
        EXPECT_EQ(read(text), names) << text;
    const MomentText m = *parseMoment("2027-03-14T09:00:00+01:00");
    EXPECT_EQ(shown(m.time), "09:00:00 14.03.2027");
    EXPECT_EQ(utcSecondsOf(m.time), utcSecondsOf({2027, 3, 14, 8, 0, 0}));
}

TEST(LocalClock, NowAndTheInstantOfALocalTimeAcrossDaylightSavingChanges)
{
    // Whole seconds are dropped towards the past, also before the epoch.
    const struct
    {
        std::int64_t clockMs;
        const char *now;
    } nows[] = {
        {1774746000LL * 1000 - 1, "01:59:59 29.03.2026 +3600"},
        {1774746000LL * 1000, "03:00:00 29.03.2026 +7200"},
        {-1, "00:59:59 01.01.1970 +3600"},
    };
    for (const auto &c : nows) {
        const LocalDateTime t = LocalClock {[&c] { return c.clockMs; }, parisOffset}.now();
        EXPECT_EQ(shown(t) + " +" + std::to_string(t.utcOffset), c.now) << c.clockMs;
    }
    // The local time's offset, or -1 for one the clocks skip.
    const std::pair<LocalDateTime, int> walls[] = {
        {{2026, 3, 29, 1, 59, 59}, 3600}, {{2026, 3, 29, 2, 30, 0}, -1},
        {{2026, 3, 29, 3, 0, 0}, 7200},   {{2026, 10, 25, 2, 30, 0}, 7200}, // the first of two
        {{2026, 10, 25, 3, 0, 0}, 3600},  {{2026, 7, 1, 12, 0, 0, -3600}, 7200},
    };
    for (const auto &[wall, offset] : walls) {
        const std::optional<LocalDateTime> t = localTimeOf(wall, parisOffset);
        EXPECT_EQ(t ? t->utcOffset : -1, offset) << shown(wall);
        if (t) {
            EXPECT_EQ(shown(*t), shown(wall));
        }
    }
}
