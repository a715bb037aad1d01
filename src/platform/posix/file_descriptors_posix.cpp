#include "platform/posix/file_posix.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tivora::posix {

bool writeAll(int fd, std::string_view bytes)
{
    const char *p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= std::size_t(n);
    }
    return true;
}

bool readAllAt(int fd, std::string &bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pread(fd, bytes.data() + done, bytes.size() - done, off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}

bool lockFile(int fd, int operation)
{
    int result;
    do
        result = ::flock(fd, operation);
    while (result != 0 && errno == EINTR);
    return result == 0;
}

bool entryIsFile(int folderFd, const char *name, int fd)
{
    struct stat entry, open;
    return ::fstatat(folderFd, name, &entry, AT_SYMLINK_NOFOLLOW) == 0 && ::fstat(fd, &open) == 0
        && entry.st_dev == open.st_dev && entry.st_ino == open.st_ino;
}

} // namespace tivora::posix
