#pragma once

// What the POSIX file routines share: following links, checking write permission,
// whole reads and writes on a descriptor, advisory locks and the in-place rewrite.

#include <filesystem>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace tivora::posix {

// Any of the write permission bits: a file or folder without one is write-protected.
constexpr mode_t AnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;

// Follows a chain of symbolic links to the path they finally name (which may not
// exist yet). Gives up after a bounded number of hops, so a link loop cannot hang.
std::filesystem::path resolveLinks(const std::filesystem::path &file);

// The folder a file lies in; "." for a bare name.
std::filesystem::path folderOf(const std::filesystem::path &file);

// Whether the folder exists, has a write bit and may be written by this process.
bool isWritableFolder(const std::filesystem::path &folder);

// Writes all the bytes at the descriptor's position, going on after interrupted or
// short writes.
bool writeAll(int fd, std::string_view bytes);

// Fills the string, at its size, from the start of the file.
bool readAllAt(int fd, std::string &bytes);

// Takes an advisory lock on the open file (held until every descriptor sharing this
// opening is closed), waiting while another holds a conflicting one. False when the file
// system offers no such locks.
bool lockFile(int fd, int operation);

// Whether the folder's entry `name` still is the file open as fd (not removed, not
// replaced by another file of the same name).
bool entryIsFile(int folderFd, const char *name, int fd);

// What a temporary file's name holds between the target's name and its six random
// letters: a name no person would give a file of their own.
inline constexpr std::string_view TemporaryMark = ".tivora-save-";

// Puts the bytes into the file itself, with one write and a cut to length that a kill of
// the program does not stop halfway: the way left when no temporary file can be made
// beside the file.
bool rewriteInPlace(const std::filesystem::path &file, std::string_view bytes);

} // namespace tivora::posix
