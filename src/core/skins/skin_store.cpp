#include "core/skins/skin_store.h"

#include "core/base/ini_file.h"
#include "core/base/letter_case.h"
#include "core/skins/skin_params.h"
#include "platform/file_access.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace tivora {

namespace fs = std::filesystem;

namespace {

// A skin name becomes a file name inside the Skins folder; a name that could point
// anywhere else (a path separator or a NUL byte) names no skin at all.
bool isUsableName(const std::string &name)
{
    return !name.empty() && name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

bool isFile(const fs::path &file)
{
    std::error_code ec;
    return fs::is_regular_file(file, ec);
}

} // namespace

fs::path skinsFolder(const fs::path &dataDir)
{
    return dataDir / "Skins";
}

bool sameSkinName(std::string_view a, std::string_view b)
{
    return a == b || foldLetterCase(a) == foldLetterCase(b);
}

std::optional<fs::path> findSkinFile(const fs::path &folder, const std::string &fileName)
{
    const fs::path exact = folder / fileName;
    if (isFile(exact))
        return exact;
    const std::string wanted = foldLetterCase(fileName);
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (foldLetterCase(name) == wanted)
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    for (const std::string &name : names)
        if (isFile(folder / name))
            return folder / name;
    return std::nullopt;
}

std::optional<FileStamp> fileStamp(const fs::path &file)
{
    std::error_code ec;
    FileStamp stamp;
    stamp.file = fs::canonical(file, ec);
    if (!ec)
        stamp.size = fs::file_size(stamp.file, ec);
    if (!ec)
        stamp.modified = fs::last_write_time(stamp.file, ec);
    return ec ? std::nullopt : std::optional<FileStamp>(stamp);
}

SkinStore::SkinStore(fs::path dataDir)
    : m_dataDir(std::move(dataDir)), m_folder(skinsFolder(m_dataDir))
{ }

void SkinStore::makeFolder() const
{
    std::error_code ec;
    if (!fs::is_directory(m_folder, ec) && !fs::create_directory(m_folder, ec))
        throw SkinError("Unable to create " + m_folder.string());
}

void SkinStore::makeDefaultSkin(const std::function<void(const fs::path &)> &writeImage) const
{
    const std::string image = std::string(DefaultSkinName) + ".bmp";
    const std::string parameters = std::string(DefaultSkinName) + ".ini";
    if (!findSkinFile(m_folder, image))
        writeImage(m_folder / image);
    if (!findSkinFile(m_folder, parameters)) {
        IniFile ini(m_folder / parameters);
        ini.confineWritesTo({m_dataDir, m_folder});
        writeDefaultSkinIni(ini);
        ini.close();
    }
}

SkinPaths SkinStore::currentSkin(TOptions &options) const
{
    std::optional<fs::path> image;
    std::optional<fs::path> parameters;
    if (isUsableName(options.Skin)) {
        image = findSkinFile(m_folder, options.Skin + ".bmp");
        parameters = findSkinFile(m_folder, options.Skin + ".ini");
    }
    if (!image || !parameters) {
        options.Skin = DefaultSkinName;
        image = findSkinFile(m_folder, options.Skin + ".bmp");
        parameters = findSkinFile(m_folder, options.Skin + ".ini");
        if (!image || !parameters)
            throw SkinError("The default skin is missing in " + m_folder.string());
    }
    return {*image, *parameters};
}

SkinPaths SkinStore::filesOf(const std::string &name) const
{
    if (!isUsableName(name))
        throw SkinError("Not a skin name: " + name);
    const std::string image = name + ".bmp";
    const std::string parameters = name + ".ini";
    return {findSkinFile(m_folder, image).value_or(m_folder / image),
            findSkinFile(m_folder, parameters).value_or(m_folder / parameters)};
}

RgbImage SkinStore::readImage(const fs::path &file)
{
    if (!isFile(file))
        throw SkinError("No skin image " + file.string());
    // The reason names the file and the limit; start-up passes it on to stderr when it
    // draws the built-in face instead.
    const auto refuse = [&](const std::string &why) {
        return SkinError("Unable to load skin image " + file.string() + ": " + why);
    };
    std::error_code ec;
    if (fs::file_size(file, ec) > MaxSkinImageBytes && !ec)
        throw refuse("larger than the limit of " + std::to_string(MaxSkinImageBytes) + " bytes");
    std::string bytes;
    if (!readFile(file, bytes, MaxSkinImageBytes))
        throw SkinError("Unable to read skin image " + file.string());
    try {
        return decodeBmp(bytes);
    } catch (const BmpError &e) {
        throw refuse(e.what());
    }
}

void SkinStore::writeImage(const fs::path &file, std::string_view bytes) const
{
    if (!staysInside(file, m_dataDir) && !staysInside(file, m_folder)) {
        std::fprintf(stderr, "tivora: not writing %s: it leads outside %s\n", file.c_str(),
                     m_dataDir.c_str());
        return;
    }
    if (bytes.empty() || !canWriteFile(file) || !writeFileAtomically(file, bytes))
        throw SkinError("Unable to write to " + file.string());
}

void SkinStore::writeParameters(const fs::path &file, const TOptions &options) const
{
    IniFile ini(file);
    ini.confineWritesTo({m_dataDir, m_folder});
    writeSkinParameters(ini, options);
    ini.close();
}

void takeSkin(TOptions &options, const std::string &name, const std::function<void()> &load)
{
    const std::string previous = options.Skin;
    options.Skin = name;
    try {
        load();
    } catch (...) {
        options.Skin = previous;
        throw;
    }
}

} // namespace tivora
