#include "platform/posix/file_posix.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tivora::posix {

namespace fs = std::filesystem;

namespace {

// Writes the bytes and then the fill at the start of the file. Only async-signal-safe
// calls, so that a child process forked from a program with threads may run it. One
// write call in the usual case; the loop only finishes what a short write left.
bool writeAllAt(int fd, std::string_view bytes, std::string_view fill)
{
    const std::size_t total = bytes.size() + fill.size();
    std::size_t done = 0;
    while (done < total) {
        iovec parts[2];
        int count = 0;
        if (done < bytes.size())
            parts[count++] = {const_cast<char *>(bytes.data()) + done, bytes.size() - done};
        const std::size_t fillDone = done > bytes.size() ? done - bytes.size() : 0;
        if (fillDone < fill.size())
            parts[count++] = {const_cast<char *>(fill.data()) + fillDone, fill.size() - fillDone};
        const ssize_t n = ::pwritev(fd, parts, count, off_t(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += std::size_t(n);
    }
    return true;
}

bool writeCutAndSync(int fd, std::string_view bytes, std::string_view fill)
{
    return writeAllAt(fd, bytes, fill) && ::ftruncate(fd, off_t(bytes.size())) == 0
        && ::fsync(fd) == 0;
}

// Runs writeCutAndSync in a child process of its own. A kill of the program while the
// text goes in (SIGKILL included) then ends only the program: the child completes the
// text, so the file never keeps a part of it. The child shares the file's lock and holds
// it until it is done. Without a child process the work is done here.
bool writeCutAndSyncInChild(int fd, std::string_view bytes, std::string_view fill)
{
    int result[2];
    if (::pipe2(result, O_CLOEXEC) != 0)
        return writeCutAndSync(fd, bytes, fill);
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Async-signal-safe calls only from here on: the program may have other threads.
        // A session of its own keeps a kill of the program's whole process group (or
        // the end of its session) from stopping the write halfway. Nothing has been
        // written before this point, so a kill that comes first leaves the old text.
        ::setsid();
        sigset_t all;
        ::sigfillset(&all);
        ::sigprocmask(SIG_BLOCK, &all, nullptr);
        const char ok = writeCutAndSync(fd, bytes, fill) ? 1 : 0;
        [[maybe_unused]] const ssize_t n = ::write(result[1], &ok, 1);
        ::_exit(0);
    }
    ::close(result[1]);
    if (pid < 0) {
        ::close(result[0]);
        return writeCutAndSync(fd, bytes, fill);
    }
    // The answer comes through the pipe, whatever this program does with SIGCHLD.
    char ok = 0;
    while (::read(result[0], &ok, 1) < 0 && errno == EINTR) { }
    ::close(result[0]);
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) { }
    return ok == 1;
}

} // namespace

// The way left when no temporary file can be made beside the file (a write-protected
// folder holding a writable file). The new text goes in with one write call and the file
// is then cut to its length, both in a child process that a kill of the program does
// not stop. A shorter text is followed by line breaks up to the old length in that same
// write, so a stop between the write and the cut leaves the new text followed by blank
// lines rather than by the tail of the old one. Space for a longer text is reserved
// first, so a full disk leaves the old text as it was, and a write that fails halfway
// puts the old text back. Writers of the file take turns under its lock, and readers
// wait for it.
bool rewriteInPlace(const fs::path &file, std::string_view bytes)
{
    bool canRestore = true;
    int fd = ::open(file.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0 && errno == EACCES) {
        canRestore = false;
        fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    }
    if (fd < 0)
        return false;
    lockFile(fd, LOCK_EX);
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    const std::size_t oldSize = ok ? std::size_t(st.st_size) : 0;
    std::string old;
    if (ok && canRestore) {
        old.resize(oldSize);
        canRestore = readAllAt(fd, old);
    }
    if (ok && bytes.size() > oldSize) {
        if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, off_t(bytes.size())) != 0
            && (errno == ENOSPC || errno == EFBIG))
            ok = false;
    }
    if (ok) {
        const std::string fill(oldSize > bytes.size() ? oldSize - bytes.size() : 0, '\n');
        ok = writeCutAndSyncInChild(fd, bytes, fill);
        if (!ok && canRestore)
            writeCutAndSync(fd, old, {});
    }
    ok = (::close(fd) == 0) && ok;
    return ok;
}

} // namespace tivora::posix
