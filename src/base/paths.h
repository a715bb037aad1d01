#pragma once

#include <filesystem>

namespace tivora {

// The folder that holds the program's files: `home` (the TIVORA_HOME setting, which
// only start-up reads) when it is set and not empty, else the executable's own folder.
std::filesystem::path dataFolder(const std::filesystem::path &executable, const char *home);

// The settings file: the executable's name with its extension replaced by ".ini",
// the file name lower-cased, in the data folder.
std::filesystem::path settingsFile(const std::filesystem::path &dataDir,
                                   const std::filesystem::path &executable);

// The manifest: the executable's name plus ".manifest", in the data folder.
std::filesystem::path manifestFile(const std::filesystem::path &dataDir,
                                   const std::filesystem::path &executable);

} // namespace tivora
