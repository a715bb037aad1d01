#include "core/base/paths.h"

#include "core/base/text_encoding.h"

namespace tivora {

namespace fs = std::filesystem;

DataFolder dataFolder(const DataFolderInputs &in)
{
    if (in.tivoraHome && *in.tivoraHome)
        return {fs::path(in.tivoraHome), false};
    std::error_code ec;
    const fs::path absolute = fs::absolute(in.executable, ec);
    const fs::path beside = (ec ? in.executable : absolute).parent_path();
    // Compared with a trailing separator on both sides: "/usr/bin/" is "/usr/bin".
    const bool installed = !in.installFolder.empty()
        && (beside / "").lexically_normal() == (in.installFolder / "").lexically_normal();
    if (in.executableFolderWritable && !installed)
        return {beside, false};
    if (in.xdgConfigHome && fs::path(in.xdgConfigHome).is_absolute())
        return {fs::path(in.xdgConfigHome) / "tivora", true};
    if (in.home && fs::path(in.home).is_absolute())
        return {fs::path(in.home) / ".config" / "tivora", true};
    return {beside, false};
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
