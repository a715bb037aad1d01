#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tivora {

// The skins offered by the options dialog: every file in the folder whose extension is
// ".bmp" in any letter case, named without its last four characters ("Blue.BMP" gives
// "Blue"). Directories are skipped, whatever their name, and so are names that would be
// empty or are not UTF-8 text. Sorted by name without regard to case (sameSkinName),
// names the same that way in byte order, so the order does not depend on the file
// system. A missing or unreadable folder gives no skins.
std::vector<std::string> skinNames(const std::filesystem::path &skinsFolder);

// The index of the name that loading the current skin takes its files from: the name
// itself, else the first name that is the same without regard to case; -1 for none.
int findSkin(const std::vector<std::string> &names, const std::string &current);

} // namespace tivora
