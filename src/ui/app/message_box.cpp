#include "ui/app/message_box.h"

#include "platform/window_state.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>

namespace tivora {

QWidget *boxOwner(QWidget *mainWindow)
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget *active = QApplication::activeWindow();
        active && active != mainWindow && active->isVisible())
        return active;
    return mainWindow && mainWindow->isVisible() ? mainWindow : nullptr;
}

void showMessageBox(QMessageBox::Icon icon, const QString &title, const QString &text,
                    QWidget *owner)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, owner);
    box.setWindowModality(Qt::ApplicationModal);
    // Windows kept on top (the widget, the dialogs) lie above every normal one, however
    // recently raised: the box is kept on top too, to open above them.
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setOnCurrentWorkspace(box.winId());
    // Asked for once the box is shown: a window manager gives a new window the keyboard
    // only when it belongs to the window that has it.
    QTimer::singleShot(0, &box, [&box] {
        box.raise();
        box.activateWindow();
    });
    const QPointer<QWidget> guard(owner);
    box.exec();
    if (guard && guard->isVisible()) {
        guard->raise();
        guard->activateWindow();
    }
}

} // namespace tivora
