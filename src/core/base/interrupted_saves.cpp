#include "core/base/interrupted_saves.h"

#include "platform/file_access.h"

namespace tivora {

std::size_t removeInterruptedSaves(const std::filesystem::path &dataDir,
                                   const std::filesystem::path &skinsDir)
{
    // The kinds of file the program writes: settings and skin parameters, skin images,
    // the language file, the manifest.
    const std::vector<std::string> kinds {".ini", ".bmp", ".lng", ".manifest"};
    return removeStaleTemporaryFiles(dataDir, kinds) + removeStaleTemporaryFiles(skinsDir, kinds);
}

} // namespace tivora
