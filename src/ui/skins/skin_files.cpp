#include "ui/skins/skin_files.h"

#include "core/base/ini_file.h"
#include "platform/file_access.h"
#include "platform/path_text.h"
#include "ui/render/qt_canvas.h"
#include "core/skins/bmp_image.h"
#include "core/skins/skin_params.h"

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

// The resource file is compiled into a static library; referencing its initialiser here
// makes sure the linker keeps it. Q_INIT_RESOURCE must be used outside any namespace.
static void initTivoraResources()
{
    Q_INIT_RESOURCE(tivora);
}

namespace tivora {

namespace fs = std::filesystem;

namespace {

// Skin images are small pictures; a larger file than the largest picture the decoder
// takes (4 bytes a pixel, and room for headers and palette) is refused unread.
constexpr std::uintmax_t MaxImageFileBytes = std::uintmax_t(MaxBmpPixels) * 4 + (1u << 16);

// A skin name becomes a file name inside the Skins folder; a name that could point
// anywhere else (a path separator or a NUL byte) names no skin at all.
bool isUsableName(const std::string &name)
{
    return !name.empty() && name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

// The skin file named fileName in the folder. The exact name wins; otherwise, as skin
// names are compared without regard to letter case, the first regular file (in name
// order) whose name matches without regard to case. Folders never count as skin files.
std::optional<QString> findSkinFile(const QDir &folder, const QString &fileName)
{
    const QString exact = folder.filePath(fileName);
    if (QFileInfo(exact).isFile())
        return exact;
    const QStringList names =
        folder.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString &name : names) {
        if (name.compare(fileName, Qt::CaseInsensitive) != 0)
            continue;
        const QString candidate = folder.filePath(name);
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return std::nullopt;
}

QString skinFileName(const std::string &skin, const char *extension)
{
    return QString::fromStdString(skin) + QLatin1String(extension);
}

std::string describe(const QString &file)
{
    return file.toStdString();
}

// Loads a skin image from a BMP file, ready for drawing (32-bit RGB). The file is
// decoded here rather than by the toolkit's reader, which draws the rows that a damaged
// file lacks from uninitialised memory. Throws SkinError when the file is missing, is no
// BMP, is damaged or claims an absurd size.
QImage loadSkinImage(const QString &file)
{
    const QFileInfo info(file);
    if (!info.isFile())
        throw SkinError("No skin image " + describe(file));
    // The reason names the file and the limit; start-up passes it on to stderr when it
    // draws the built-in face instead.
    const auto refuse = [&](const std::string &why) {
        return SkinError("Unable to load skin image " + describe(file) + ": " + why);
    };
    if (std::uintmax_t(info.size()) > MaxImageFileBytes)
        throw refuse("larger than the limit of " + std::to_string(MaxImageFileBytes) + " bytes");
    std::string bytes;
    if (!readFile(pathFromQString(file), bytes, MaxImageFileBytes))
        throw SkinError("Unable to read skin image " + describe(file));
    RgbImage decoded;
    try {
        decoded = decodeBmp(bytes);
    } catch (const BmpError &e) {
        throw refuse(e.what());
    }
    QImage image(decoded.width, decoded.height, QImage::Format_RGB32);
    if (image.isNull())
        throw SkinError("Skin image too large: " + describe(file));
    for (int y = 0; y < decoded.height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const std::uint32_t *row = &decoded.pixels[std::size_t(y) * decoded.width];
        for (int x = 0; x < decoded.width; ++x)
            line[x] = 0xff000000u | row[x];
    }
    return image;
}

// The folders a skin file may be written in: the data folder, and the Skins folder
// wherever it really is. A skin file that links anywhere else (a downloaded skin keeps
// its archive's links) is read but never written.
std::vector<fs::path> skinWriteFolders(const fs::path &dataDir)
{
    return {dataDir, skinsFolder(dataDir)};
}

// Which file the image in a skin bitmap was decoded from, and that file's state then: a
// save reloads the image only when the file has changed since, so that a large image is
// not decoded again at every save.
struct ImageSource
{
    const QtBitmap *skin = nullptr;
    fs::path file;
    std::uintmax_t size = 0;
    fs::file_time_type modified {};
    bool operator==(const ImageSource &) const = default;
};

std::optional<ImageSource> &loadedImage()
{
    static std::optional<ImageSource> source;
    return source;
}

std::optional<ImageSource> imageSource(const QtBitmap &skin, const QString &file)
{
    std::error_code ec;
    ImageSource source;
    source.skin = &skin;
    source.file = fs::canonical(pathFromQString(file), ec);
    if (!ec)
        source.size = fs::file_size(source.file, ec);
    if (!ec)
        source.modified = fs::last_write_time(source.file, ec);
    return ec ? std::nullopt : std::optional<ImageSource>(source);
}

void setSkinImage(QtBitmap &skin, const QImage &image, const std::optional<QString> &file = {})
{
    skin.setImage(image);
    loadedImage() = file ? imageSource(skin, *file) : std::nullopt;
}

// Writes the image as a 24-bit BMP file, atomically, so that a failed write never
// leaves a truncated image behind. A file that leads outside the skin folders is left
// alone, with a line on stderr.
void saveBmp24(const QImage &image, const QString &file, const fs::path &dataDir)
{
    const fs::path target = pathFromQString(file);
    if (!staysInside(target, dataDir) && !staysInside(target, skinsFolder(dataDir))) {
        std::fprintf(stderr, "tivora: not writing %s: it leads outside %s\n", target.c_str(),
                     dataDir.c_str());
        return;
    }
    if (image.isNull() || !canWriteFile(target))
        throw SkinError("Unable to write to " + describe(file));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP"))
        throw SkinError("Unable to write to " + describe(file));
    if (!writeFileAtomically(target, std::string_view(bytes.constData(), bytes.size())))
        throw SkinError("Unable to write to " + describe(file));
}

} // namespace

fs::path skinsFolder(const fs::path &dataDir)
{
    return dataDir / "Skins";
}

QImage builtInDefaultSkin()
{
    static const bool registered = (initTivoraResources(), true);
    (void)registered;
    return QImage(QStringLiteral(":/skins/default.bmp"), "BMP");
}

void LoadSkin(const fs::path &dataDir, TOptions &options, QtBitmap &skin, int dpi)
{
    const QString folderPath = pathToQString(skinsFolder(dataDir));
    QDir folder(folderPath);

    // The Skins folder, one level below the data folder.
    if (!QFileInfo(folderPath).isDir() && !QDir().mkdir(folderPath)) {
        setSkinImage(skin, builtInDefaultSkin().convertToFormat(QImage::Format_RGB32));
        throw SkinError("Unable to create " + describe(folderPath));
    }

    // The default skin's two files, each only when it is missing.
    const QString defaultBmp = skinFileName(DefaultSkinName, ".bmp");
    const QString defaultIni = skinFileName(DefaultSkinName, ".ini");
    if (!findSkinFile(folder, defaultBmp)) {
        const QImage image = builtInDefaultSkin();
        setSkinImage(skin, image.convertToFormat(QImage::Format_RGB32));
        saveBmp24(image, folder.filePath(defaultBmp), dataDir);
    }
    if (!findSkinFile(folder, defaultIni)) {
        IniFile ini(pathFromQString(folder.filePath(defaultIni)));
        ini.confineWritesTo(skinWriteFolders(dataDir));
        writeDefaultSkinIni(ini);
        ini.close();
    }

    // Which skin is current: the named one when both its files exist, else the default.
    std::optional<QString> imageFile;
    std::optional<QString> paramFile;
    if (isUsableName(options.Skin)) {
        imageFile = findSkinFile(folder, skinFileName(options.Skin, ".bmp"));
        paramFile = findSkinFile(folder, skinFileName(options.Skin, ".ini"));
    }
    if (!imageFile || !paramFile) {
        options.Skin = DefaultSkinName;
        imageFile = findSkinFile(folder, defaultBmp);
        paramFile = findSkinFile(folder, defaultIni);
        if (!imageFile || !paramFile)
            throw SkinError("The default skin is missing in " + describe(folderPath));
    }

    // Image and parameters reach the caller together, only when both could be read.
    const QImage image = loadSkinImage(*imageFile);
    TOptions loaded = options;
    IniFile ini(pathFromQString(*paramFile));
    readSkinParameters(ini, loaded, image.width(), image.height(), dpi);
    setSkinImage(skin, image, *imageFile);
    options = loaded;
}

void useBuiltInSkin(TOptions &options, QtBitmap &skin, int dpi)
{
    const QImage image = builtInDefaultSkin();
    builtInSkinParameters(options, image.width(), image.height(), dpi);
    setSkinImage(skin, image);
}

void SaveSkin(const fs::path &dataDir, const TOptions &options, QtBitmap &skin)
{
    if (!isUsableName(options.Skin))
        throw SkinError("Not a skin name: " + options.Skin);
    const QDir folder(pathToQString(skinsFolder(dataDir)));
    const QString imageName = skinFileName(options.Skin, ".bmp");
    const QString paramName = skinFileName(options.Skin, ".ini");

    // The image is decoded again only when its file changed since it was loaded.
    const QString imageFile = findSkinFile(folder, imageName).value_or(folder.filePath(imageName));
    const std::optional<ImageSource> source = imageSource(skin, imageFile);
    if (!source || source != loadedImage())
        setSkinImage(skin, loadSkinImage(imageFile), imageFile);

    IniFile ini(
        pathFromQString(findSkinFile(folder, paramName).value_or(folder.filePath(paramName))));
    ini.confineWritesTo(skinWriteFolders(dataDir));
    writeSkinParameters(ini, options);
    ini.close();
}

} // namespace tivora
