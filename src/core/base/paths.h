#pragma once

#include <filesystem>

namespace tivora {

// What decides where the program's files live. Start-up reads it from the environment
// and the file system once; an unset variable is a null pointer.
struct DataFolderInputs
{
    std::filesystem::path executable;
    const char *tivoraHome = nullptr; // TIVORA_HOME
    bool executableFolderWritable = true;
    const char *xdgConfigHome = nullptr; // XDG_CONFIG_HOME
    const char *home = nullptr; // HOME
    // The folder the build installs the program into (its configured bin folder).
    std::filesystem::path installFolder = {};
};

struct DataFolder
{
    std::filesystem::path path;
    bool perUser = false; // the per-user folder, which start-up creates when missing
};

// The folder that holds the program's files. A program that may write beside itself
// keeps them there (portable), and TIVORA_HOME, when set, names the folder outright.
// An installed program, in the install folder or in a folder it cannot write, keeps
// them per user in $XDG_CONFIG_HOME/tivora, else ~/.config/tivora: also when run by root,
// who may write the install folder, so nothing lands among the installed files. Empty variables count as unset, and
// so do relative XDG_CONFIG_HOME and HOME (files never go to the current folder). With
// no home folder known at all the executable's folder stays, and writing there fails
// with the usual error.
DataFolder dataFolder(const DataFolderInputs &inputs);

// The settings file: the executable's name with its extension replaced by ".ini",
// the file name lower-cased, in the data folder.
std::filesystem::path settingsFile(const std::filesystem::path &dataDir,
                                   const std::filesystem::path &executable);

// The manifest: the executable's name plus ".manifest", in the data folder.
std::filesystem::path manifestFile(const std::filesystem::path &dataDir,
                                   const std::filesystem::path &executable);

} // namespace tivora
