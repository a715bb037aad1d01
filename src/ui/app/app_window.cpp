#include "ui/app/app_window.h"

#include <QCloseEvent>
#include <QGuiApplication>

namespace tivora {

AppWindow::AppWindow()
{
    setObjectName("Application");
    setWindowTitle(Title);
    setAttribute(Qt::WA_QuitOnClose, false);
    // Creating the native window without showing it makes the title visible to
    // other instances' window lists.
    m_nativeId = std::uintptr_t(winId());
}

void AppWindow::closeEvent(QCloseEvent *event)
{
    // The application window itself stays; it is the main window that closes.
    event->ignore();
    if (m_main)
        m_main->close();
}

} // namespace tivora
