#include "core/time/moment_text.h"

#include <chrono>

namespace tivora {

namespace {

// Reads exactly n digits at pos; -1 when they are not all digits or the text ends.
int digits(std::string_view text, size_t pos, size_t n)
{
    if (pos + n > text.size())
        return -1;
    int value = 0;
    for (size_t i = pos; i < pos + n; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// Reads the zone suffix into the moment: nothing, "Z", or a sign, two digits of hours
// and optionally two of minutes, with or without a colon between them. False for any
// other text.
bool readOffset(std::string_view suffix, MomentText &moment)
{
    moment.hasOffset = !suffix.empty();
    moment.time.utcOffset = 0;
    if (suffix.empty() || suffix == "Z" || suffix == "z")
        return true;
    if (suffix[0] != '+' && suffix[0] != '-')
        return false;
    const int hours = digits(suffix, 1, 2);
    int minutes = 0;
    if (suffix.size() == 6 && suffix[3] == ':')
        minutes = digits(suffix, 4, 2);
    else if (suffix.size() == 5)
        minutes = digits(suffix, 3, 2);
    else if (suffix.size() != 3)
        return false;
    if (hours < 0 || hours > 18 || minutes < 0 || minutes > 59 || (hours == 18 && minutes > 0))
        return false;
    const int offset = (hours * 60 + minutes) * 60;
    moment.time.utcOffset = suffix[0] == '-' ? -offset : offset;
    return true;
}

} // namespace

std::optional<MomentText> parseMoment(std::string_view text)
{
    if (text.size() < 19 || text[4] != '-' || text[7] != '-' || (text[10] != 'T' && text[10] != ' ')
        || text[13] != ':' || text[16] != ':')
        return std::nullopt;
    MomentText moment;
    LocalDateTime &t = moment.time;
    t.year = digits(text, 0, 4);
    t.month = digits(text, 5, 2);
    t.day = digits(text, 8, 2);
    t.hour = digits(text, 11, 2);
    t.minute = digits(text, 14, 2);
    t.second = digits(text, 17, 2);
    // A field that is not all digits reads as -1. Months and days of two digits fit the
    // calendar types, which know the month lengths and leap years.
    const bool dateOk = t.year >= 1 && t.month >= 1 && t.day >= 1
        && std::chrono::year_month_day(std::chrono::year(t.year),
                                       std::chrono::month(unsigned(t.month)),
                                       std::chrono::day(unsigned(t.day)))
               .ok();
    if (!dateOk || t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0
        || t.second > 59)
        return std::nullopt;
    if (!readOffset(text.substr(19), moment))
        return std::nullopt;
    return moment;
}

} // namespace tivora
