#pragma once

// File access the standard library does not offer: write permission as the program
// judges it, atomic replacement and bounded reads. One implementation per OS family.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace tivora {

// Whether the program may write the file, or create it when it does not exist.
// A file or folder without any write permission bit counts as write-protected even
// for a user (root) whom the system would let write it anyway. A symbolic link is
// judged by the file it points to.
bool canWriteFile(const std::filesystem::path &file);

// Whether the program may create files in the folder, by the same rule.
bool canWriteFolder(const std::filesystem::path &folder);

// Creates the folder and any missing folder above it, each readable by its owner only,
// as per-user settings folders should be. True when the folder exists afterwards.
bool createPrivateFolder(const std::filesystem::path &folder);

// Writes the bytes to the file atomically: a temporary file in the same folder,
// flushed to disk, then renamed over the target (keeping the target's permissions
// and owner). A symbolic link stays a link: the file it points to is replaced. When
// no temporary file can be made in the folder but the file itself is writable, the
// file is rewritten in place instead. Returns false, leaving no temporary file behind,
// when any step fails.
bool writeFileAtomically(const std::filesystem::path &file, std::string_view bytes);

// Reads a whole regular file; false when it cannot be read or exceeds maxBytes.
bool readFile(const std::filesystem::path &file, std::string &bytes,
              std::uintmax_t maxBytes = 64u * 1024u * 1024u);

// Whether nothing at all is at the path, as opposed to something that is there (or
// may be there) but cannot be read.
bool isMissing(const std::filesystem::path &path);

} // namespace tivora
