#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tivora {

// A text font of a skin, as its parameter file stores it.
struct FontSpec
{
    std::string name = "Arial";
    std::int32_t size = 18; // points
    std::int32_t color = 0; // red + 256 x green + 65536 x blue
    bool bold = true;
    bool italic = false;
    bool underline = false;
    // Not stored in skin files: a struck-out font chosen in the skin editor stays so
    // until the skin is read again.
    bool strikeOut = false;
    bool operator==(const FontSpec &) const = default;
};

// The main window's options (section Main of the settings file) together with the
// current skin's parameters, in the record's declared order.
struct TOptions
{
    std::uint8_t Width = 10;
    std::uint16_t cWindth = 193;
    std::uint16_t cHeight = 214;
    bool ShowArray = true;
    bool ShowDigits = true;
    bool ShowDate = true;
    bool ShowDesc = true;
    bool ShowDelimiters = false;
    std::string SysTimeDesc = "System";
    bool ShowSystemTime = true;
    std::uint8_t ActiveTr = 255;
    std::uint8_t PassiveTr = 255;
    bool ShowWhiteBG = false;
    bool ShowTextWhiteBG = false;
    std::string Skin;
    // Skin parameters.
    std::int32_t strlX = 69;
    std::int32_t strlY = 69;
    bool h24 = false;
    std::uint16_t hLen = 25;
    std::uint16_t mLen = 39;
    std::uint16_t sLen = 39;
    std::int32_t hColor = 0;
    std::int32_t mColor = 0;
    std::int32_t sColor = 0;
    FontSpec Digits;
    FontSpec Date;
    FontSpec Desc;
    std::uint8_t DigAl = 2;
    std::uint8_t DateAl = 2;
    std::uint8_t DescAl = 2;
    std::int32_t DigposX = 0;
    std::int32_t DigposY = 0;
    std::int32_t DateposX = 0;
    std::int32_t DateposY = 0;
    std::int32_t DescposX = 0;
    std::int32_t DescposY = 0;
    bool operator==(const TOptions &) const = default;
};

// One clock: local time plus hour offset plus minute offset (the minute offset is
// always added, also behind a negative hour offset). Both offsets 0 is system time.
// A clock picked from the city list also names its time zone; it then shows that
// zone's real time (daylight saving included) wherever the zone is known, and its
// offsets (the zone's standard time minus the local one) order the list and stand in
// where the zone is not known. Such a clock is never the system time, not even at the
// offsets 0 (a city whose standard time is the local one): it is a city the user
// picked, and its time may differ from the local time for part of the year.
struct TClock
{
    std::int8_t hour = 0;
    std::int8_t minute = 0;
    std::string desc;
    std::string zone {}; // a tz database name such as "America/New_York"; empty: fixed offset

    int sortKey() const { return 60 * hour + minute; }
    bool isSystemTime() const { return hour == 0 && minute == 0 && zone.empty(); }
    bool operator==(const TClock &) const = default;
};

using TClockList = std::vector<TClock>;

// The window state kept in the settings file without a field of its own.
struct WindowPlacement
{
    bool stayOnTop = true;
    std::int32_t top = 263;
    std::int32_t left = 373;
};

} // namespace tivora
