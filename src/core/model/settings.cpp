#include "core/model/settings.h"

#include "core/base/ini_fields.h"
#include "core/base/ini_file.h"
#include "core/time/time_zones.h"

#include <algorithm>
#include <cstdio>

namespace tivora {

std::string clockKey(int number, const char *suffix)
{
    char key[48];
    std::snprintf(key, sizeof key, "Clock_%.2d_%s", number, suffix);
    return key;
}

namespace {

// Section Main: the options and the window placement, in the order they are stored.
struct MainRecord
{
    TOptions options;
    WindowPlacement placement;
};

#define MAIN(member) TIVORA_FIELD(MainRecord, member)
constexpr IniField<MainRecord> MainKeys[] = {
    {"Width", MAIN(options.Width)},
    {"ShowArray", MAIN(options.ShowArray)},
    {"ShowDate", MAIN(options.ShowDate)},
    {"ShowDesc", MAIN(options.ShowDesc)},
    {"ShowDigits", MAIN(options.ShowDigits)},
    {"ShowDelimiters", MAIN(options.ShowDelimiters)},
    {"ShowWhiteBG", MAIN(options.ShowWhiteBG)},
    {"ShowTextWhiteBG", MAIN(options.ShowTextWhiteBG)},
    {"ShowSystemTime", MAIN(options.ShowSystemTime)},
    {"Skin", MAIN(options.Skin)},
    {"ActiveTr", MAIN(options.ActiveTr)},
    {"PassiveTr", MAIN(options.PassiveTr)},
    {"StayOnTop", MAIN(placement.stayOnTop)},
    {"SysTimeDesc", MAIN(options.SysTimeDesc)},
    {"pTop", MAIN(placement.top)},
    {"pLeft", MAIN(placement.left)},
};
#undef MAIN

} // namespace

void loadSettings(const IniFile &ini, TOptions &o, WindowPlacement &placement, TClockList &clocks)
{
    // The options default to their built-in values, the position to where the window is.
    MainRecord defaults;
    defaults.placement.top = placement.top;
    defaults.placement.left = placement.left;
    MainRecord record {o, placement};
    readFields<MainRecord>(ini, MainSection, MainKeys, record, defaults);
    o = std::move(record.options);
    placement = record.placement;

    clocks.clear();
    for (int n = 1; ini.keyExists(ClockSection, clockKey(n, "h")); ++n) {
        TClock clock;
        clock.hour = std::int8_t(ini.readInteger(ClockSection, clockKey(n, "h"), 0));
        clock.minute = std::int8_t(ini.readInteger(ClockSection, clockKey(n, "m"), 0));
        clock.desc = ini.readString(ClockSection, clockKey(n, "Desc"), "");
        // A clock picked from the city list names its zone. A name that cannot be one
        // leaves a plain fixed-offset clock; one this machine does not know is kept, and
        // the clock shows its stored offsets until the zone is known.
        clock.zone = ini.readString(ClockSection, clockKey(n, "Zone"), "");
        if (!isZoneName(clock.zone))
            clock.zone.clear();
        clocks.push_back(std::move(clock));
    }
    clocks.push_back(TClock {0, 0, o.SysTimeDesc});
    SortClocks(clocks);
}

void writeSettings(IniFile &ini, const TOptions &o, const WindowPlacement &placement,
                   const TClockList &clocks)
{
    writeFields<MainRecord>(ini, MainSection, MainKeys, MainRecord {o, placement});

    ini.eraseSection(ClockSection);
    int n = 1;
    for (const TClock &clock : clocks) {
        if (clock.isSystemTime())
            continue;
        ini.writeInteger(ClockSection, clockKey(n, "h"), clock.hour);
        ini.writeInteger(ClockSection, clockKey(n, "m"), clock.minute);
        ini.writeString(ClockSection, clockKey(n, "Desc"), clock.desc);
        // Only zone-bound clocks get the key: a list without them is written as before.
        if (!clock.zone.empty())
            ini.writeString(ClockSection, clockKey(n, "Zone"), clock.zone);
        ++n;
    }
}

void SortClocks(TClockList &clocks)
{
    // A stable sort: clocks with the same offset keep the order the user gave them.
    // It has no sentinel key, so even a hand-edited 127:127 entry sorts like any other.
    std::stable_sort(clocks.begin(), clocks.end(),
                     [](const TClock &a, const TClock &b) { return a.sortKey() < b.sortKey(); });
}

} // namespace tivora
