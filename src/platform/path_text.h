#pragma once

#include <QString>

#include <filesystem>

namespace tivora {

// File paths between the standard library and Qt, in the system's own file name
// encoding, so that a name Qt lists can be opened by the standard library and back.
QString pathToQString(const std::filesystem::path &path);
std::filesystem::path pathFromQString(const QString &path);

} // namespace tivora
