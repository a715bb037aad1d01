#include "platform/path_text.h"

#include <QByteArray>
#include <QFile>

namespace tivora {

// POSIX paths are bytes; Qt decodes them with the locale's file name codec.
QString pathToQString(const std::filesystem::path &path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

std::filesystem::path pathFromQString(const QString &path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

} // namespace tivora
