#pragma once

#include <cstddef>
#include <filesystem>

namespace tivora {

// Clears away what saves that were cut short (a crash, a kill, a power cut) left behind:
// the temporary files of the settings, the language file, the manifest and the skin
// files in the data folder and the Skins folder, except those a running instance is
// still writing. Called at start-up. Returns the number of files removed.
std::size_t removeInterruptedSaves(const std::filesystem::path &dataDir,
                                   const std::filesystem::path &skinsDir);

} // namespace tivora
