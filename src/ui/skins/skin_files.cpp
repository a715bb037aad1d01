#include "ui/skins/skin_files.h"

#include "core/base/ini_file.h"
#include "core/skins/bmp_image.h"
#include "core/skins/skin_params.h"
#include "ui/render/qt_canvas.h"

#include <QBuffer>
#include <QByteArray>

#include <optional>
#include <string>

// The resource file is compiled into a static library; referencing its initialiser here
// makes sure the linker keeps it. Q_INIT_RESOURCE must be used outside any namespace.
static void initTivoraResources()
{
    Q_INIT_RESOURCE(tivora);
}

namespace tivora {

namespace fs = std::filesystem;

namespace {

// A skin image from its file, ready for drawing (32-bit RGB). The file is decoded by
// the store rather than by the toolkit's reader, which draws the rows that a damaged
// file lacks from uninitialised memory. Throws SkinError as SkinStore::readImage does.
QImage loadSkinImage(const fs::path &file)
{
    const RgbImage decoded = SkinStore::readImage(file);
    QImage image(decoded.width, decoded.height, QImage::Format_RGB32);
    if (image.isNull())
        throw SkinError("Skin image too large: " + file.string());
    for (int y = 0; y < decoded.height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const std::uint32_t *row = &decoded.pixels[std::size_t(y) * decoded.width];
        for (int x = 0; x < decoded.width; ++x)
            line[x] = 0xff000000u | row[x];
    }
    return image;
}

// The image as a 24-bit BMP file; empty when it cannot be encoded.
std::string bmp24(const QImage &image)
{
    if (image.isNull())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP"))
        return {};
    return bytes.toStdString();
}

// Which skin bitmap holds an image decoded from a file, and the file's stamp then.
struct ImageSource
{
    const QtBitmap *skin = nullptr;
    FileStamp stamp;
    bool operator==(const ImageSource &) const = default;
};

std::optional<ImageSource> &loadedImage()
{
    static std::optional<ImageSource> source;
    return source;
}

std::optional<ImageSource> imageSource(const QtBitmap &skin, const fs::path &file)
{
    const std::optional<FileStamp> stamp = fileStamp(file);
    return stamp ? std::optional<ImageSource>({&skin, *stamp}) : std::nullopt;
}

void setSkinImage(QtBitmap &skin, const QImage &image, const std::optional<fs::path> &file = {})
{
    skin.setImage(image);
    loadedImage() = file ? imageSource(skin, *file) : std::nullopt;
}

} // namespace

QImage builtInDefaultSkin()
{
    static const bool registered = (initTivoraResources(), true);
    (void)registered;
    return QImage(QStringLiteral(":/skins/default.bmp"), "BMP");
}

void LoadSkin(const fs::path &dataDir, TOptions &options, QtBitmap &skin, int dpi)
{
    const SkinStore store(dataDir);
    try {
        store.makeFolder();
    } catch (const SkinError &) {
        setSkinImage(skin, builtInDefaultSkin().convertToFormat(QImage::Format_RGB32));
        throw;
    }
    store.makeDefaultSkin([&](const fs::path &file) {
        const QImage image = builtInDefaultSkin();
        setSkinImage(skin, image.convertToFormat(QImage::Format_RGB32));
        store.writeImage(file, bmp24(image));
    });
    const SkinPaths files = store.currentSkin(options);

    // Image and parameters reach the caller together, only when both could be read.
    const QImage image = loadSkinImage(files.image);
    TOptions loaded = options;
    IniFile ini(files.parameters);
    readSkinParameters(ini, loaded, image.width(), image.height(), dpi);
    setSkinImage(skin, image, files.image);
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
    const SkinStore store(dataDir);
    const SkinPaths files = store.filesOf(options.Skin);

    // The image is decoded again only when its file changed since it was loaded.
    const std::optional<ImageSource> source = imageSource(skin, files.image);
    if (!source || source != loadedImage())
        setSkinImage(skin, loadSkinImage(files.image), files.image);

    store.writeParameters(files.parameters, options);
}

} // namespace tivora
