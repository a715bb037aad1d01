#include "core/options/skin_list.h"

#include "core/base/letter_case.h"
#include "core/base/text_encoding.h"
#include "core/skins/skin_store.h"

#include <algorithm>

namespace tivora {

namespace fs = std::filesystem;

std::vector<std::string> skinNames(const fs::path &skinsFolder)
{
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(skinsFolder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code statusError; // a dangling link, say: no skin either
        if (it->is_directory(statusError) || statusError)
            continue;
        const std::string file = it->path().filename().string();
        if (file.size() <= 4 || foldLetterCase(file.substr(file.size() - 4)) != ".bmp")
            continue;
        std::string name = file.substr(0, file.size() - 4);
        if (isValidUtf8(name))
            names.push_back(std::move(name));
    }
    std::stable_sort(names.begin(), names.end(), [](const std::string &a, const std::string &b) {
        const std::string fa = foldLetterCase(a), fb = foldLetterCase(b);
        return fa != fb ? fa < fb : a < b;
    });
    return names;
}

int findSkin(const std::vector<std::string> &names, const std::string &current)
{
    // As loading finds a skin's files: the exact name first, then the first name that
    // is the same without regard to case (the list keeps such names in byte order).
    const auto exact = std::find(names.begin(), names.end(), current);
    if (exact != names.end())
        return int(exact - names.begin());
    for (std::size_t i = 0; i < names.size(); ++i)
        if (sameSkinName(names[i], current))
            return int(i);
    return -1;
}

} // namespace tivora
