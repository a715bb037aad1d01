// Measures crash-safe saving (a measurement, not a test): a child process saves a settings
// file of 20,000 clocks over and over, each save one generation further, and is killed
// with SIGKILL at a random point, again and again. After each kill the file must hold the
// complete file of the last completed generation (old) or of the one being saved (new),
// and the start-up clean-up must leave no temporary file behind.
//   tivora_save_kill_loop [KILLS] [inplace|group]
// Each kill hits a uniformly random point either of a whole save (building the text and
// writing it) or of its write alone (half the kills each). With "inplace" the folder is
// write-protected and the file is not, so every save rewrites the file in place. "group"
// rewrites in place too, but the saving process leads a process group of its own and
// every kill goes to that whole group (kill -9 -PGID), 0-3 ms after the saver has forked
// the process that does the in-place write.
#include "core/base/ini_file.h"
#include "core/base/interrupted_saves.h"
#include "platform/file_access.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <thread>

using namespace tivora;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int Clocks = 20000;

// What the saving child reports through its pipe.
struct Report
{
    char phase; // 'w': the write of this generation begins; 'd': it is done
    long generation;
};

// One save as the program makes it: the main section updated in place, the clock section
// written anew. Odd generations have shorter descriptions, so the file grows and shrinks.
void save(const fs::path &file, long generation, int reportFd)
{
    IniFile ini(file);
    ini.writeInteger("Main", "Generation", generation);
    ini.eraseSection("Tivora");
    char key[32], desc[64];
    for (int n = 1; n <= Clocks; ++n) {
        std::snprintf(key, sizeof key, "Clock_%.2d_h", n);
        ini.writeInteger("Tivora", key, (n + generation) % 25 - 12);
        std::snprintf(key, sizeof key, "Clock_%.2d_m", n);
        ini.writeInteger("Tivora", key, (n * 7 + generation) % 60);
        std::snprintf(key, sizeof key, "Clock_%.2d_Desc", n);
        std::snprintf(desc, sizeof desc, generation % 2 ? "Town %d/%ld" : "City number %d of %ld",
                      n, generation);
        ini.writeString("Tivora", key, desc);
    }
    const Report writing {'w', generation};
    if (reportFd >= 0 && ::write(reportFd, &writing, sizeof writing) < 0)
        std::_Exit(1);
    ini.close();
}

std::string read(const fs::path &file)
{
    std::string bytes;
    readFile(file, bytes);
    return bytes;
}

long generationIn(const std::string &bytes)
{
    const std::string key = "[Main]\nGeneration=";
    return bytes.starts_with(key) ? std::strtol(bytes.c_str() + key.size(), nullptr, 10) : -1;
}

// The complete file of a generation, made in a scratch folder the same way.
const std::string &expected(long generation)
{
    static std::map<long, std::string> made;
    auto it = made.find(generation);
    if (it != made.end())
        return it->second;
    char pattern[] = "/tmp/tivora-expected-XXXXXX";
    if (!::mkdtemp(pattern))
        std::abort();
    const fs::path file = fs::path(pattern) / "tivora.ini";
    save(file, generation, -1);
    std::string bytes = read(file);
    fs::remove_all(pattern);
    return made.emplace(generation, std::move(bytes)).first->second;
}

int temporaryFiles(const fs::path &folder)
{
    int count = 0;
    for (const fs::path &dir : {folder, folder / "Skins"})
        for (const auto &entry : fs::directory_iterator(dir))
            count += entry.path().filename().string().starts_with(".tivora.ini.");
    return count;
}

bool readReport(int fd, Report &report)
{
    return ::read(fd, &report, sizeof report) == ssize_t(sizeof report);
}

struct Child
{
    pid_t pid;
    int reports;
};

Child startSaving(const fs::path &file, bool ownGroup)
{
    int fds[2];
    if (::pipe(fds) != 0)
        std::abort();
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (ownGroup)
            ::setpgid(0, 0);
        ::close(fds[0]);
        long generation = generationIn(read(file));
        for (;;) {
            save(file, ++generation, fds[1]);
            const Report done {'d', generation};
            if (::write(fds[1], &done, sizeof done) < 0)
                std::_Exit(1);
        }
    }
    ::close(fds[1]);
    return {pid, fds[0]};
}

// Whether the process has a child process now (false when the system cannot tell).
bool hasChild(pid_t pid)
{
    const std::string list = "/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid)
        + "/children";
    std::string children;
    return readFile(list, children, 4096) && !children.empty();
}

// Kills the child (with `group`, its whole process group) and returns the last
// generation it completed.
long kill(Child child, long lastDone, bool group = false)
{
    ::kill(group ? -child.pid : child.pid, SIGKILL);
    ::waitpid(child.pid, nullptr, 0);
    Report report;
    while (readReport(child.reports, report))
        if (report.phase == 'd')
            lastDone = report.generation;
    ::close(child.reports);
    return lastDone;
}

} // namespace

int main(int argc, char **argv)
{
    const int kills = argc > 1 ? std::atoi(argv[1]) : 200;
    const std::string mode = argc > 2 ? argv[2] : "";
    const bool groupKills = mode == "group";
    const bool inPlace = groupKills || mode == "inplace";
    char pattern[] = "/tmp/tivora-kill-XXXXXX";
    if (!::mkdtemp(pattern))
        return 1;
    const fs::path folder = pattern;
    const fs::path file = folder / "tivora.ini";
    fs::create_directory(folder / "Skins");
    save(file, 1, -1);

    // How long a whole save and its write take.
    Child child = startSaving(file, false);
    Clock::time_point writeStart, lastDone;
    Clock::duration saveTime {}, writeTime {};
    int saves = -1;
    Report report;
    while (saves < 5 && readReport(child.reports, report)) {
        const auto now = Clock::now();
        if (report.phase == 'w') {
            writeStart = now;
            continue;
        }
        if (++saves > 0) {
            saveTime += now - lastDone;
            writeTime += now - writeStart;
        }
        lastDone = now;
    }
    kill(child, 0);
    saveTime /= 5;
    writeTime /= 5;
    if (inPlace)
        ::chmod(folder.c_str(), 0555);
    using us = std::chrono::microseconds;
    std::printf("%s: a save takes %lld us, its write %lld us\n",
                groupKills ? "in place, group kills 0-3 ms after the fork"
                : inPlace  ? "in place (write-protected folder)"
                           : "temporary file and rename",
                (long long)std::chrono::duration_cast<us>(saveTime).count(),
                (long long)std::chrono::duration_cast<us>(writeTime).count());

    std::mt19937 random(std::random_device {}());
    int old = 0, fresh = 0, padded = 0, torn = 0, other = 0, leftBehind = 0, remaining = 0;
    std::size_t removed = 0;
    for (int i = 0; i < kills; ++i) {
        const bool inWrite = groupKills || i % 2;
        const Clock::duration span = groupKills ? std::chrono::milliseconds(3)
            : inWrite                           ? writeTime
                                                : saveTime;
        child = startSaving(file, groupKills);
        long done = -1;
        // Wait for a completed save (so the child is past its start), then, for a kill
        // in the write, for the next write to begin.
        while (readReport(child.reports, report) && report.phase != 'd') { }
        done = report.generation;
        if (inWrite)
            while (readReport(child.reports, report) && report.phase != 'w') { }
        // A group kill waits (5 s at most) for the fork of the in-place writer.
        for (int poll = 0; groupKills && poll < 50000 && !hasChild(child.pid); ++poll)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        std::this_thread::sleep_for(
            std::uniform_int_distribution<Clock::rep>(0, span.count() - 1)(random)
            * Clock::duration(1));
        done = kill(child, done, groupKills);

        const std::string bytes = read(file);
        const long generation = generationIn(bytes);
        const std::string &want = generation >= 0 ? expected(generation) : bytes;
        if (generation < 0) {
            ++torn;
        } else if (bytes != want) {
            const bool blankTail = bytes.size() > want.size() && bytes.starts_with(want)
                && bytes.find_first_not_of('\n', want.size()) == std::string::npos;
            ++(blankTail ? padded : torn);
        } else if (generation == done) {
            ++old;
        } else if (generation == done + 1) {
            ++fresh;
        } else {
            ++other;
        }
        if (bytes != want || generation < 0)
            fs::copy_file(file, "/tmp/tivora-torn-" + std::to_string(i) + ".ini",
                          fs::copy_options::overwrite_existing);
        leftBehind += temporaryFiles(folder) > 0;
        removed += removeInterruptedSaves(folder, folder / "Skins");
        remaining += temporaryFiles(folder);
    }
    ::chmod(folder.c_str(), 0755);
    fs::remove_all(folder);
    if (groupKills)
        std::printf("group kills: %d, each 0-3 ms after the in-place writer's fork\n", kills);
    else
        std::printf("kills: %d (%d in a whole save, %d in its write)\n", kills,
                    kills - kills / 2, kills / 2);
    std::printf("complete old file: %d\ncomplete new file: %d\n", old, fresh);
    std::printf("complete new file followed by blank lines: %d\n", padded);
    std::printf("torn: %d\nanother generation: %d\n", torn, other);
    std::printf("kills that left a temporary file: %d (the start-up clean-up removed %zu)\n",
                leftBehind, removed);
    std::printf("temporary files left after the start-up clean-up: %d\n", remaining);
    return torn + other + remaining == 0 ? 0 : 1;
}
