#pragma once

#include "core/time/local_time.h"

#include <optional>
#include <string_view>

namespace tivora {

// A moment as the command line gives it: "YYYY-MM-DDTHH:MM:SS", read as a local time,
// or with a zone suffix ("Z", "+hh:mm", "-hh:mm", "+hhmm", "+hh"), then naming an
// instant whatever the local zone.
struct MomentText
{
    LocalDateTime time; // utcOffset holds the suffix's offset; 0 without one
    bool hasOffset = false;
};

// Nothing for text of another form or with a field out of range (a 30 February, an
// hour 24, an offset beyond 18 hours).
std::optional<MomentText> parseMoment(std::string_view text);

} // namespace tivora
