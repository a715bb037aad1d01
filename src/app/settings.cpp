#include "app/settings.h"

#include "base/ini_file.h"

#include <algorithm>
#include <cstdio>

namespace tivora {

std::string clockKey(int number, const char *suffix)
{
    char key[48];
    std::snprintf(key, sizeof key, "Clock_%.2d_%s", number, suffix);
    return key;
}

void loadSettings(const IniFile &ini, TOptions &o, WindowPlacement &placement, TClockList &clocks)
{
    const auto u8 = [&](const char *key, int def) {
        return std::uint8_t(ini.readInteger(MainSection, key, def));
    };
    const auto flag = [&](const char *key, bool def) {
        return ini.readBool(MainSection, key, def);
    };

    o.Width = u8("Width", 10);
    o.ShowArray = flag("ShowArray", true);
    o.ShowDigits = flag("ShowDigits", true);
    o.ShowDate = flag("ShowDate", true);
    o.ShowDesc = flag("ShowDesc", true);
    o.ShowDelimiters = flag("ShowDelimiters", false);
    o.ShowWhiteBG = flag("ShowWhiteBG", false);
    o.ShowTextWhiteBG = flag("ShowTextWhiteBG", false);
    o.ShowSystemTime = flag("ShowSystemTime", true);
    o.Skin = ini.readString(MainSection, "Skin", "");
    o.ActiveTr = u8("ActiveTr", 255);
    o.PassiveTr = u8("PassiveTr", 255);
    placement.stayOnTop = flag("StayOnTop", true);
    placement.top = ini.readInteger(MainSection, "pTop", placement.top);
    placement.left = ini.readInteger(MainSection, "pLeft", placement.left);

    clocks.clear();
    for (int n = 1; ini.keyExists(ClockSection, clockKey(n, "h")); ++n) {
        TClock clock;
        clock.hour = std::int8_t(ini.readInteger(ClockSection, clockKey(n, "h"), 0));
        clock.minute = std::int8_t(ini.readInteger(ClockSection, clockKey(n, "m"), 0));
        clock.desc = ini.readString(ClockSection, clockKey(n, "Desc"), "");
        clocks.push_back(std::move(clock));
    }

    o.SysTimeDesc = ini.readString(MainSection, "SysTimeDesc", "System");
    clocks.push_back(TClock {0, 0, o.SysTimeDesc});
    SortClocks(clocks);
}

void writeSettings(IniFile &ini, const TOptions &o, const WindowPlacement &placement,
                   const TClockList &clocks)
{
    ini.writeInteger(MainSection, "Width", o.Width);
    ini.writeBool(MainSection, "ShowArray", o.ShowArray);
    ini.writeBool(MainSection, "ShowDate", o.ShowDate);
    ini.writeBool(MainSection, "ShowDesc", o.ShowDesc);
    ini.writeBool(MainSection, "ShowDigits", o.ShowDigits);
    ini.writeBool(MainSection, "ShowDelimiters", o.ShowDelimiters);
    ini.writeBool(MainSection, "ShowWhiteBG", o.ShowWhiteBG);
    ini.writeBool(MainSection, "ShowTextWhiteBG", o.ShowTextWhiteBG);
    ini.writeBool(MainSection, "ShowSystemTime", o.ShowSystemTime);
    ini.writeString(MainSection, "Skin", o.Skin);
    ini.writeInteger(MainSection, "ActiveTr", o.ActiveTr);
    ini.writeInteger(MainSection, "PassiveTr", o.PassiveTr);
    ini.writeBool(MainSection, "StayOnTop", placement.stayOnTop);
    ini.writeString(MainSection, "SysTimeDesc", o.SysTimeDesc);
    ini.writeInteger(MainSection, "pTop", placement.top);
    ini.writeInteger(MainSection, "pLeft", placement.left);

    ini.eraseSection(ClockSection);
    int n = 1;
    for (const TClock &clock : clocks) {
        if (clock.isSystemTime())
            continue;
        ini.writeInteger(ClockSection, clockKey(n, "h"), clock.hour);
        ini.writeInteger(ClockSection, clockKey(n, "m"), clock.minute);
        ini.writeString(ClockSection, clockKey(n, "Desc"), clock.desc);
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
