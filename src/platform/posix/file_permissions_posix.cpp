#include "platform/file_access.h"
#include "platform/posix/file_posix.h"

#include <cerrno>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace tivora {

namespace fs = std::filesystem;

namespace posix {

bool isWritableFolder(const fs::path &folder)
{
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    return (st.st_mode & AnyWriteBit) != 0 && ::access(folder.c_str(), W_OK) == 0;
}

} // namespace posix

using posix::AnyWriteBit;
using posix::folderOf;
using posix::isWritableFolder;
using posix::resolveLinks;

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

} // namespace tivora
