#include "platform/file_access.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tivora {

namespace fs = std::filesystem;

namespace {

// Waits while a writer holds the file: an in-place rewrite that is finishing after its
// program was killed, or a replacement about to let go of the file. A writer that never
// lets go is waited for five seconds at most; then the file is read as it is.
void waitForWriter(int fd)
{
    for (int attempt = 0; attempt < 500; ++attempt) {
        if (::flock(fd, LOCK_SH | LOCK_NB) == 0 || errno != EWOULDBLOCK)
            return;
        ::usleep(10000);
    }
}

} // namespace

bool readFile(const fs::path &file, std::string &bytes, std::uintmax_t maxBytes)
{
    bytes.clear();
    // Non-blocking so that a named pipe in the file's place cannot hang the open.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    waitForWriter(fd);
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || std::uintmax_t(st.st_size) > maxBytes) {
        ::close(fd);
        return false;
    }
    // The file may grow while it is read: read on, but never past one byte over the
    // limit, which is enough to tell that the file is too large.
    const std::uintmax_t cap =
        std::min<std::uintmax_t>(maxBytes == UINTMAX_MAX ? maxBytes : maxBytes + 1, SIZE_MAX / 2);
    std::string data;
    data.resize(std::size_t(std::min<std::uintmax_t>(std::uintmax_t(st.st_size), cap)));
    std::size_t got = 0;
    bool ok = true;
    for (;;) {
        if (got == data.size()) {
            if (data.size() >= cap)
                break;
            data.resize(std::size_t(std::min<std::uintmax_t>(cap, data.size() + 65536)));
        }
        const ssize_t n = ::read(fd, data.data() + got, data.size() - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        if (n == 0)
            break;
        got += std::size_t(n);
    }
    ::close(fd);
    if (!ok || got > maxBytes)
        return false;
    data.resize(got);
    bytes = std::move(data);
    return true;
}

} // namespace tivora
