#include "platform/process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace tivora {

std::filesystem::path ownExecutable()
{
    std::error_code ec;
    auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : path;
}

void relaunch(const std::filesystem::path &executable)
{
    const std::string file = executable.string();
    char *argv[] = {const_cast<char *>(file.c_str()), nullptr};
    posix_spawnattr_t attr;
    if (posix_spawnattr_init(&attr) != 0)
        return;
    // A session of its own: the new instance outlives this one and any terminal.
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    posix_spawn(&pid, file.c_str(), nullptr, &attr, argv, environ);
    posix_spawnattr_destroy(&attr);
}

bool setHiddenSystemArchive(const std::filesystem::path &)
{
    return false;
}

} // namespace tivora
