#include "platform/file_access.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

bool writeAllAt(int fd, std::string_view bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, off_t(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += std::size_t(n);
    }
    return true;
}

// The fallback when no temporary file can be made beside the file. Space for a longer
// text is reserved first, so a full disk leaves the old text as it was instead of
// cutting it short.
bool rewriteInPlace(const fs::path &file, std::string_view bytes)
{
    const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0;
    if (ok && off_t(bytes.size()) > st.st_size) {
        if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, off_t(bytes.size())) != 0 && errno == ENOSPC)
            ok = false;
    }
    ok = ok && writeAllAt(fd, bytes) && ::ftruncate(fd, off_t(bytes.size())) == 0
        && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    return ok;
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
    int fd = -1;
    std::string tempName;
    if (isWritableFolder(folder)) {
        std::string pattern = ".";
        pattern.append(target.filename().string()).append(".XXXXXX");
        tempName = (folder / pattern).string();
        std::vector<char> buffer(tempName.begin(), tempName.end());
        buffer.push_back('\0');
        fd = ::mkostemp(buffer.data(), O_CLOEXEC);
        tempName.assign(buffer.data());
    }
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
    ok = (::close(fd) == 0) && ok;
    if (ok)
        ok = ::rename(tempName.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(tempName.c_str());
        return false;
    }
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

bool isMissing(const fs::path &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) != 0 && errno == ENOENT;
}

} // namespace tivora
