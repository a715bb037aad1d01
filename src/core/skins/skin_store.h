#pragma once

#include "core/model/options.h"
#include "core/skins/bmp_image.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tivora {

// Raised when a skin image cannot be loaded, or the default skin cannot be written.
class SkinError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The Skins folder in the data folder.
std::filesystem::path skinsFolder(const std::filesystem::path &dataDir);

// Whether two skin names (or names of skin files) are the same without regard to letter
// case, in any script (foldLetterCase): loading and the options dialog's skin list
// match names by this one rule.
bool sameSkinName(std::string_view a, std::string_view b);

// The skin file named fileName in the folder. The exact name wins; otherwise the first
// regular file, in name order, whose name is the same by sameSkinName. Folders never
// count as skin files; a link counts as the file it leads to.
std::optional<std::filesystem::path> findSkinFile(const std::filesystem::path &folder,
                                                  const std::string &fileName);

// Skin images are small pictures; a larger file than the largest picture the decoder
// takes (4 bytes a pixel, and room for headers and palette) is refused unread.
inline constexpr std::uintmax_t MaxSkinImageBytes = std::uintmax_t(MaxBmpPixels) * 4 + (1u << 16);

// A skin's image and parameter file.
struct SkinPaths
{
    std::filesystem::path image;
    std::filesystem::path parameters;
};

// A file as it was when an image was decoded from it (its real path, size and time of
// change): a save reads the image again only when the stamp has changed since, so that
// a large image is not decoded again at every save. None for a file that cannot be
// looked at.
struct FileStamp
{
    std::filesystem::path file;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type modified {};
    bool operator==(const FileStamp &) const = default;
};
std::optional<FileStamp> fileStamp(const std::filesystem::path &file);

// The skins of a data folder: which one is current, the default skin, reading images and
// writing skin files. Writes stay in the data folder and in the Skins folder wherever it
// really is: a skin file that links anywhere else (a downloaded skin keeps its archive's
// links) is read but never written.
class SkinStore
{
public:
    explicit SkinStore(std::filesystem::path dataDir);

    const std::filesystem::path &folder() const { return m_folder; }

    // Creates the Skins folder, one level below the data folder, when it is missing.
    // Throws SkinError when it cannot.
    void makeFolder() const;

    // Makes each of the default skin's two files that is missing (whatever the letter
    // case of an existing one): the image first, through writeImage, which is given the
    // file to write (the built-in face is the toolkit's), then the parameter file.
    void
    makeDefaultSkin(const std::function<void(const std::filesystem::path &)> &writeImage) const;

    // Which skin is current: the one options.Skin names when both its files exist,
    // otherwise the default skin, and options.Skin becomes "Default". Throws SkinError
    // when the default skin is missing too.
    SkinPaths currentSkin(TOptions &options) const;

    // The files a save of the named skin writes: those it has, or the names it would
    // have. Throws SkinError for a name that cannot name a skin file (empty, or with a
    // path separator or NUL byte in it).
    SkinPaths filesOf(const std::string &name) const;

    // Reads and decodes a skin image. Throws SkinError when the file is missing, larger
    // than MaxSkinImageBytes, no BMP, damaged or claims an absurd size.
    static RgbImage readImage(const std::filesystem::path &file);

    // Writes an encoded image atomically, so that a failed write never leaves a
    // truncated image behind. A file that leads outside the skin folders is left alone,
    // with a line on stderr. Throws SkinError when there are no bytes to write or the
    // file cannot be written.
    void writeImage(const std::filesystem::path &file, std::string_view bytes) const;

    // Writes every skin parameter into the parameter file, keeping its other keys.
    // Throws IniWriteError when it cannot.
    void writeParameters(const std::filesystem::path &file, const TOptions &options) const;

private:
    std::filesystem::path m_dataDir;
    std::filesystem::path m_folder;
};

// Makes the named skin current through load, which loads the skin options.Skin names
// (and may settle on the default skin instead). A skin that cannot be loaded is not
// taken: options.Skin names the skin it named before again, so that the widget keeps
// the skin it shows and the settings keep naming one that loads, and load's error
// passes on.
void takeSkin(TOptions &options, const std::string &name, const std::function<void()> &load);

} // namespace tivora
