#pragma once

class QObject;

namespace tivora {

// Whether the object is the toolkit's own window of a tray icon, whose mouse input the
// widget takes over.
bool isToolkitTrayIcon(const QObject *object);

} // namespace tivora
