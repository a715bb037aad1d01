#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tivora {

// The skins offered by the options dialog: every file in the folder whose extension is
// ".bmp" in any letter case, named without its last four characters ("Blue.BMP" gives
// "Blue"). Directories are skipped, whatever their name, and so are names that would be
// empty or are not UTF-8 text. Sorted by name without regard to case, so the order
// does not depend on the file system. A missing or unreadable folder gives no skins.
std::vector<std::string> skinNames(const std::filesystem::path &skinsFolder);

// The index of the first name equal to the current skin without regard to case, or -1.
int findSkin(const std::vector<std::string> &names, const std::string &current);

} // namespace tivora
