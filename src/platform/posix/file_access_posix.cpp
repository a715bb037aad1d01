#include "platform/file_access.h"

#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <system_error>
#include <vector>

namespace tivora {

namespace fs = std::filesystem;

namespace {

constexpr mode_t AnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;

// Follows a chain of symbolic links to the path they finally name (which may not
// exist yet). Gives up after a bounded number of hops, so a link loop cannot hang.
fs::path resolveLinks(const fs::path &file)
{
    fs::path current = file;
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(current, ec)))
            return current;
        fs::path target = fs::read_symlink(current, ec);
        if (ec)
            return current;
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return current;
}

fs::path folderOf(const fs::path &file)
{
    fs::path folder = file.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

bool isWritableFolder(const fs::path &folder)
{
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    return (st.st_mode & AnyWriteBit) != 0 && ::access(folder.c_str(), W_OK) == 0;
}

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

// Takes an advisory lock on the open file (held until every descriptor sharing this
// opening is closed), waiting while another holds a conflicting one. False when the file
// system offers no such locks.
bool lockFile(int fd, int operation)
{
    int result;
    do
        result = ::flock(fd, operation);
    while (result != 0 && errno == EINTR);
    return result == 0;
}

// Whether the folder's entry `name` still is the file open as fd (not removed, not
// replaced by another file of the same name).
bool entryIsFile(int folderFd, const char *name, int fd)
{
    struct stat entry, open;
    return ::fstatat(folderFd, name, &entry, AT_SYMLINK_NOFOLLOW) == 0 && ::fstat(fd, &open) == 0
        && entry.st_dev == open.st_dev && entry.st_ino == open.st_ino;
}

// What a temporary file's name holds between the target's name and its six random
// letters: a name no person would give a file of their own.
constexpr std::string_view TemporaryMark = ".tivora-save-";

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

// Whether the name is one an atomic write gives its temporary file: "." + the target's
// name, which ends in one of the extensions, + ".tivora-save-" + six letters or digits.
bool isTemporaryName(std::string_view name, const std::vector<std::string> &extensions)
{
    constexpr std::size_t Random = 6;
    if (name.size() < 2 + TemporaryMark.size() + Random || name.front() != '.')
        return false;
    const std::string_view random = name.substr(name.size() - Random);
    const bool letters = std::all_of(random.begin(), random.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
    const std::string_view rest = name.substr(0, name.size() - Random);
    if (!letters || !rest.ends_with(TemporaryMark))
        return false;
    const std::string_view target = rest.substr(1, rest.size() - 1 - TemporaryMark.size());
    return std::any_of(extensions.begin(), extensions.end(), [&](const std::string &ext) {
        if (ext.empty() || target.size() <= ext.size())
            return false;
        const std::string_view end = target.substr(target.size() - ext.size());
        return std::equal(end.begin(), end.end(), ext.begin(), ext.end(), [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a))
                == std::tolower(static_cast<unsigned char>(b));
        });
    });
}

// Whether the open file looks as a temporary file of ours does until its rename: a
// regular file of this user, readable and writable by the user alone.
bool isOwnTemporary(const struct stat &st)
{
    return S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 07777) == 0600;
}

} // namespace

bool canWriteFile(const fs::path &file)
{
    const fs::path target = resolveLinks(file);
    struct stat st;
    if (::stat(target.c_str(), &st) == 0) {
        return S_ISREG(st.st_mode) && (st.st_mode & AnyWriteBit) != 0
            && ::access(target.c_str(), W_OK) == 0;
    }
    if (errno != ENOENT)
        return false;
    return isWritableFolder(folderOf(target));
}

bool canWriteFolder(const fs::path &folder)
{
    return isWritableFolder(resolveLinks(folder));
}

bool createPrivateFolder(const fs::path &folder)
{
    std::error_code ec;
    if (folder.empty())
        return false;
    if (fs::is_directory(folder, ec))
        return true;
    const fs::path parent = folder.parent_path();
    if (!parent.empty() && parent != folder && !createPrivateFolder(parent))
        return false;
    return ::mkdir(folder.c_str(), 0700) == 0 || (errno == EEXIST && fs::is_directory(folder, ec));
}

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

std::size_t removeStaleTemporaryFiles(const fs::path &folder,
                                      const std::vector<std::string> &extensions)
{
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0)
        return 0;
    // The names first, so that removing entries cannot disturb the listing.
    std::vector<std::string> names;
    if (DIR *dir = ::opendir(folder.c_str())) {
        while (const dirent *entry = ::readdir(dir)) {
            if (isTemporaryName(entry->d_name, extensions))
                names.emplace_back(entry->d_name);
        }
        ::closedir(dir);
    }
    std::size_t removed = 0;
    for (const std::string &name : names) {
        const int fd =
            ::openat(folderFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st;
        // A file locked by its writer is still being written; one that has meanwhile
        // been renamed or replaced is not the file found.
        if (::fstat(fd, &st) == 0 && isOwnTemporary(st) && ::flock(fd, LOCK_EX | LOCK_NB) == 0
            && entryIsFile(folderFd, name.c_str(), fd)
            && ::unlinkat(folderFd, name.c_str(), 0) == 0)
            ++removed;
        ::close(fd);
    }
    ::close(folderFd);
    return removed;
}

bool staysInside(const fs::path &file, const fs::path &folder)
{
    const fs::path target = resolveLinks(file);
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(target, ec)))
        return false; // a chain too long to follow
    const fs::path realFolder = fs::weakly_canonical(folder, ec);
    if (ec)
        return false;
    fs::path real = fs::weakly_canonical(folderOf(target), ec);
    if (ec)
        return false;
    real /= target.filename();
    real = real.lexically_normal();
    auto inner = real.begin();
    for (auto part = realFolder.begin(); part != realFolder.end(); ++part, ++inner) {
        if (part->empty() && std::next(part) == realFolder.end())
            break; // a trailing separator
        if (inner == real.end() || *inner != *part)
            return false;
    }
    return inner != real.end();
}

bool isMissing(const fs::path &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) != 0 && errno == ENOENT;
}

} // namespace tivora
