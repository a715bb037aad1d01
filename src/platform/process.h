#pragma once

#include <filesystem>

namespace tivora {

// The running program's own executable, resolved to a full path.
std::filesystem::path ownExecutable();

// Starts the executable anew, without arguments, detached from this process.
// The outcome is not reported: a failed start is simply not noticed.
void relaunch(const std::filesystem::path &executable);

// Marks a file hidden, system and archive where the file system has such attributes.
// POSIX file systems have none; returns false there and the caller ignores it.
bool setHiddenSystemArchive(const std::filesystem::path &file);

} // namespace tivora
