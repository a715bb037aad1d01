#include "platform/file_access.h"
#include "platform/posix/file_posix.h"

#include <cerrno>
#include <sys/stat.h>
#include <system_error>

namespace tivora {

namespace fs = std::filesystem;

namespace posix {

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

} // namespace posix

using posix::folderOf;
using posix::resolveLinks;

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
