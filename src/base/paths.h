#pragma once

#include <filesystem>

namespace tivora {

// The folder that holds the program's files: TIVORA_HOME when that is set, else the
// executable's own folder.
std::filesystem::path dataFolder(const std::filesystem::path &executable);

// The settings file: the executable's name with its extension replaced by ".ini",
// the file name lower-cased, in the data folder.
std::filesystem::path settingsFile(const std::filesystem::path &executable);

// The manifest: the executable's name plus ".manifest", in the data folder.
std::filesystem::path manifestFile(const std::filesystem::path &executable);

} // namespace tivora
