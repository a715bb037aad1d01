#include "platform/wall_clock.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <mutex>
#include <string>
#include <sys/inotify.h>
#include <sys/timerfd.h>
#include <unistd.h>
#include <utility>

namespace tivora {

std::int64_t wallClockMs()
{
    timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    return std::int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

std::int64_t monotonicClockMs()
{
    timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

int localUtcOffset(std::int64_t utcSeconds)
{
    const std::time_t t = utcSeconds;
    // localtime_r keeps the zone it found first; tzset looks at the zone again, by a
    // look-up of the zone file's path through its link. Rather than that every second,
    // the system's zone is looked at when its link or file may have changed. A zone named
    // in TZ is looked at on every call, as the environment can change it.
    static std::mutex lock;
    static ZoneFileWatch systemZone("/etc/localtime");
    static bool lastFromTz = true; // the first call looks in any case
    {
        const std::lock_guard guard(lock);
        const bool fromTz = std::getenv("TZ") != nullptr;
        if (fromTz || lastFromTz || systemZone.mayHaveChanged())
            tzset();
        lastFromTz = fromTz;
    }
    std::tm tm {};
    if (!localtime_r(&t, &tm))
        return 0;
    return int(tm.tm_gmtoff);
}

ZoneFileWatch::ZoneFileWatch(std::filesystem::path file) : m_file(std::move(file))
{
    m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0)
        return;
    // The folder tells of the link made anew, replaced or removed (as a zone chosen on
    // the desktop does it), and of a plain file written in its place.
    const std::filesystem::path folder =
        m_file.has_parent_path() ? m_file.parent_path() : std::filesystem::path(".");
    m_folderWatch = inotify_add_watch(m_fd, folder.c_str(),
                                      IN_ONLYDIR | IN_CREATE | IN_DELETE | IN_MOVED_FROM
                                          | IN_MOVED_TO | IN_CLOSE_WRITE | IN_ATTRIB);
    if (m_folderWatch < 0) {
        close(m_fd);
        m_fd = -1;
        return;
    }
    watchFile();
}

ZoneFileWatch::~ZoneFileWatch()
{
    if (m_fd >= 0)
        close(m_fd);
}

void ZoneFileWatch::watchFile()
{
    // The file the link leads to (a watch follows links): rewritten, or replaced by an
    // update of the zone database. When it is missing, the folder tells of its coming.
    // A file the link has left is no longer of interest.
    const int watch = inotify_add_watch(
        m_fd, m_file.c_str(), IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF);
    if (m_fileWatch >= 0 && m_fileWatch != watch)
        inotify_rm_watch(m_fd, m_fileWatch);
    m_fileWatch = watch;
    m_fileUnwatched = watch < 0 && errno != ENOENT; // a file there that cannot be watched
}

bool ZoneFileWatch::mayHaveChanged()
{
    if (m_fd < 0)
        return true;
    bool changed = !std::exchange(m_asked, true);
    alignas(inotify_event) char events[4096];
    for (;;) {
        const ssize_t n = read(m_fd, events, sizeof events);
        if (n > 0) {
            // A watch ended (one of ours removed, or its file gone, which told itself)
            // is no change, nor is another file of the folder.
            const std::string name = m_file.filename().string();
            for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= n;) {
                const auto *event = reinterpret_cast<const inotify_event *>(events + at);
                const bool otherFile = event->wd == m_folderWatch && event->len > 0
                    && name != event->name;
                if (event->mask != IN_IGNORED && !otherFile)
                    changed = true;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            changed = true; // cannot tell
        break;
    }
    if (changed)
        watchFile(); // the link may lead to another file now
    return changed || m_fileUnwatched;
}

ClockSetWatch::ClockSetWatch()
{
    m_fd = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    arm();
}

ClockSetWatch::~ClockSetWatch()
{
    if (m_fd >= 0)
        close(m_fd);
}

void ClockSetWatch::arm()
{
    // A timer on the wall clock that never runs out, only ended when the clock is set.
    itimerspec far {};
    far.it_value.tv_sec = std::numeric_limits<std::time_t>::max() / 2;
    if (m_fd >= 0
        && timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &far, nullptr) != 0) {
        close(m_fd);
        m_fd = -1;
    }
}

bool ClockSetWatch::wasSet()
{
    if (m_fd < 0)
        return false;
    std::uint64_t expirations = 0;
    if (read(m_fd, &expirations, sizeof expirations) >= 0 || errno != ECANCELED)
        return false;
    arm();
    return true;
}

std::filesystem::path zoneinfoFolder()
{
    return "/usr/share/zoneinfo";
}

} // namespace tivora
