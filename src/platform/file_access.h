#pragma once

// File access the standard library does not offer: write permission as the program
// judges it, atomic replacement and bounded reads. One implementation per OS family.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

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

// Writes the bytes to the file atomically: a temporary file in the same folder, locked
// while it is written, flushed to disk, then renamed over the target (keeping the
// target's permissions and owner). A symbolic link stays a link: the file it points to
// is replaced. When no temporary file can be made in the folder but the file itself is
// writable, the file is rewritten in place instead, with one write and a cut to length.
// Returns false, leaving no temporary file behind and the old content in place, when
// any step fails.
bool writeFileAtomically(const std::filesystem::path &file, std::string_view bytes);

// Reads a whole regular file; false when it cannot be read or exceeds maxBytes.
bool readFile(const std::filesystem::path &file, std::string &bytes,
              std::uintmax_t maxBytes = 64u * 1024u * 1024u);

// Removes the temporary files that atomic writes left in the folder when they were cut
// short (a crash, a kill, a power cut): files named "." + a target's name +
// ".tivora-save-" + six letters or digits, where the target's name ends in one of the
// extensions (compared without regard to letter case), that are regular files of this
// user with mode 0600, as the writer makes them. Anything else is not ours and stays,
// and so does a file that its writer still holds, because a running instance is writing
// it. Returns the number of files removed.
std::size_t removeStaleTemporaryFiles(const std::filesystem::path &folder,
                                      const std::vector<std::string> &extensions);

// Whether the file's real path (every symbolic link on the way followed, the file's own
// included, also when it points to nothing yet) lies inside the folder's real path.
// False when the links cannot be followed to their end.
bool staysInside(const std::filesystem::path &file, const std::filesystem::path &folder);

// Whether nothing at all is at the path, as opposed to something that is there (or
// may be there) but cannot be read.
bool isMissing(const std::filesystem::path &path);

} // namespace tivora
