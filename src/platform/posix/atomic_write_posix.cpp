#include "platform/file_access.h"
#include "platform/posix/file_posix.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tivora {

namespace fs = std::filesystem;

using namespace posix;

namespace {

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Makes the folder's entry for a renamed file durable; failure here only weakens
// durability and is not reported.
void syncFolder(const fs::path &folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Makes a new temporary file ".NAME.tivora-save-XXXXXX" beside the target and locks it. The lock,
// held until the file is renamed over the target or removed, tells the start-up clean-up
// of any instance that the file is still being written. Such a clean-up may remove the
// file in the moment between making and locking it; then another one is made.
int makeLockedTemporary(const fs::path &folder, const fs::path &target, std::string &name)
{
    const std::string pattern =
        (folder / ("." + target.filename().string() + std::string(TemporaryMark) + "XXXXXX"))
            .string();
    for (int attempt = 0; attempt < 8; ++attempt) {
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        const int fd = ::mkostemp(buffer.data(), O_CLOEXEC);
        if (fd < 0)
            return -1;
        // Without locks on this file system the file is written unlocked; a clean-up
        // cannot lock it either and then leaves it alone.
        lockFile(fd, LOCK_EX);
        if (entryIsFile(AT_FDCWD, buffer.data(), fd)) {
            name.assign(buffer.data());
            return fd;
        }
        ::close(fd);
    }
    return -1;
}

} // namespace

bool writeFileAtomically(const fs::path &file, std::string_view bytes)
{
    const fs::path target = resolveLinks(file);
    const fs::path folder = folderOf(target);

    struct stat targetStat;
    const bool exists = ::stat(target.c_str(), &targetStat) == 0;
    if (exists && !S_ISREG(targetStat.st_mode))
        return false;
    if (!exists && errno != ENOENT)
        return false;

    // A folder without write bits is write-protected for us even when the system
    // would allow it (root): then the only way left is the file itself.
    std::string tempName;
    const int fd = isWritableFolder(folder) ? makeLockedTemporary(folder, target, tempName) : -1;
    if (fd < 0) {
        if (!exists || !canWriteFile(target))
            return false;
        return rewriteInPlace(target, bytes);
    }

    bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
    if (ok) {
        if (exists) {
            // Keep the owner (when we may) and the permissions of the file replaced.
            if (targetStat.st_uid != ::geteuid() || targetStat.st_gid != ::getegid()) {
                [[maybe_unused]] const int ignored =
                    ::fchown(fd, targetStat.st_uid, targetStat.st_gid);
            }
            ok = ::fchmod(fd, targetStat.st_mode & 07777) == 0;
        } else {
            ok = ::fchmod(fd, 0666 & ~currentUmask()) == 0;
        }
    }
    // The file stays locked until it has its final name (or is gone), and the lock goes
    // with the close.
    if (ok)
        ok = ::rename(tempName.c_str(), target.c_str()) == 0;
    if (!ok)
        ::unlink(tempName.c_str());
    ::close(fd);
    if (!ok)
        return false;
    syncFolder(folder);
    return true;
}

} // namespace tivora
