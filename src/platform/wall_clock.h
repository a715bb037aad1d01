#pragma once

// The system's clock and time zones. Plain numbers only: the calendar is the core's.

#include <cstdint>
#include <filesystem>

namespace tivora {

// The wall clock: milliseconds since 1970-01-01 00:00 UTC.
std::int64_t wallClockMs();
// The monotonic clock (CLOCK_MONOTONIC) in milliseconds: never set, stands still in suspend.
std::int64_t monotonicClockMs();

// The local zone's offset from UTC in seconds (east positive, daylight saving included)
// at an instant in seconds since 1970-01-01 00:00 UTC. A zone changed on the desktop
// shows at the next call: the system's zone file is read again once it may have changed,
// a zone named in TZ on every call.
int localUtcOffset(std::int64_t utcSeconds);

// Watches a zone file by a path that may be a link, as /etc/localtime: tells whether the
// link or the file it leads to may have changed since the last question. Asking looks up
// no path; the first question, and every question when the file cannot be watched (no
// such folder, no watches left), answers yes.
class ZoneFileWatch
{
public:
    explicit ZoneFileWatch(std::filesystem::path file);
    ~ZoneFileWatch();
    ZoneFileWatch(const ZoneFileWatch &) = delete;
    ZoneFileWatch &operator=(const ZoneFileWatch &) = delete;

    bool mayHaveChanged();
    // A descriptor that becomes readable when the answer may be yes; -1 without a watch.
    int fd() const { return m_fd; }

private:
    void watchFile();

    std::filesystem::path m_file;
    int m_fd = -1;
    int m_folderWatch = -1;
    int m_fileWatch = -1;
    bool m_fileUnwatched = false;
    bool m_asked = false;
};

// Tells when the wall clock is set: by hand, by a time service's step, or on resume
// from suspend. Its descriptor becomes readable then (never, where the system cannot
// tell: -1); wasSet() says whether it was, and makes it quiet again until the next time.
class ClockSetWatch
{
public:
    ClockSetWatch();
    ~ClockSetWatch();
    ClockSetWatch(const ClockSetWatch &) = delete;
    ClockSetWatch &operator=(const ClockSetWatch &) = delete;

    int fd() const { return m_fd; }
    bool wasSet();

private:
    void arm();

    int m_fd = -1;
};

// The folder of the system's tz database (zone.tab, iso3166.tab and the zone files).
std::filesystem::path zoneinfoFolder();

} // namespace tivora
