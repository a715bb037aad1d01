#include "platform/tray_icon.h"

#include <QObject>

namespace tivora {

bool isToolkitTrayIcon(const QObject *object)
{
    // On X11 the toolkit shows a tray icon in a widget of a private class of its own.
    return object->inherits("QSystemTrayIconSys");
}

} // namespace tivora
