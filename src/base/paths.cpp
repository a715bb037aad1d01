#include "base/paths.h"

#include "base/text_encoding.h"

namespace tivora {

namespace fs = std::filesystem;

fs::path dataFolder(const fs::path &executable, const char *home)
{
    if (home && *home)
        return fs::path(home);
    std::error_code ec;
    const fs::path absolute = fs::absolute(executable, ec);
    return (ec ? executable : absolute).parent_path();
}

fs::path settingsFile(const fs::path &dataDir, const fs::path &executable)
{
    // Only the file name is lower-cased: on a case-sensitive file system a lower-cased
    // folder part could name a folder that does not exist.
    fs::path name = executable.filename();
    name.replace_extension(".ini");
    return dataDir / foldCase(name.string());
}

fs::path manifestFile(const fs::path &dataDir, const fs::path &executable)
{
    return dataDir / (executable.filename().string() + ".manifest");
}

} // namespace tivora
