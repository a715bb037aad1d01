#include "platform/file_access.h"
#include "platform/posix/file_posix.h"

#include <algorithm>
#include <cctype>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tivora {

namespace fs = std::filesystem;

namespace {

using posix::entryIsFile;
using posix::TemporaryMark;

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

} // namespace tivora
