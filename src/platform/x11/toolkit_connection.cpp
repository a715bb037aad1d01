#include "platform/x11/toolkit_connection.h"

#include <QGuiApplication>

namespace tivora {

xcb_connection_t *toolkitConnection()
{
    const auto *app = qGuiApp;
    if (!app)
        return nullptr;
    const auto *x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

} // namespace tivora
