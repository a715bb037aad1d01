#include "ui/app/main_window.h"

#include "ui/about/about_window.h"
#include "ui/app/app_window.h"
#include "core/i18n/language.h"
#include "ui/app/tray_input.h"
#include "ui/options/options_dialog.h"
#include "ui/app/message_box.h"
#include "core/base/guard.h"
#include "core/base/paths.h"
#include "platform/right_clicks.h"
#include "platform/window_state.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QIcon>
#include <QMenu>
#include <QMessageBox>
#include <QSystemTrayIcon>
#include <QTimer>

// The widget's popup menu and tray icon: showing and hiding, the options and about
// windows they open, and the ways the program ends.

namespace tivora {

void TForm1::createMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    const auto item = [this](const char *name) {
        QAction *action = PopupMenu1->addAction(QString());
        action->setObjectName(name);
        return action;
    };
    N11 = item("N11");
    N1 = item("N1");
    N2 = item("N2");
    N3 = PopupMenu1->addSeparator();
    N3->setObjectName("N3");
    N4 = item("N4");
    // "Show" does what a left click on the tray icon does.
    connect(N11, &QAction::triggered, this, [this] { tr1Click(Qt::LeftButton); });
    connect(N1, &QAction::triggered, this, &TForm1::N1Click);
    connect(N2, &QAction::triggered, this, &TForm1::N2Click);
    connect(N4, &QAction::triggered, this, &TForm1::N4Click);

    // The icon in the sizes a tray asks for on screens of scale 1 to 4, so that a scaled
    // tray shows one drawn at its size, not the smallest one enlarged.
    QIcon trayIcon(QStringLiteral(":/icons/tray.png"));
    for (const char *size : {"32", "48", "64"})
        trayIcon.addFile(QStringLiteral(":/icons/tray_%1.png").arg(QLatin1String(size)));
    tr1 = new QSystemTrayIcon(trayIcon, this);
    tr1->setObjectName("tr1");
    tr1->setContextMenu(PopupMenu1);
    // Tray hosts that report clicks themselves do so through the icon's signal; on X11
    // the icon's own window reports presses, which TrayInput turns into clicks.
    connect(tr1, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger)
            tr1Click(Qt::LeftButton);
        else if (r == QSystemTrayIcon::DoubleClick)
            tr1DblClick();
    });
    auto *trayInput = new TrayInput(TrayInput::isToolkitIcon, this);
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installEventFilter(trayInput);
    connect(trayInput, &TrayInput::clicked, this, [this] { tr1Click(Qt::LeftButton); });
    connect(trayInput, &TrayInput::doubleClicked, this, &TForm1::tr1DblClick);
    connect(trayInput, &TrayInput::menuRequested, this,
            [this](QPoint at) { PopupMenu1->popup(at); });
    // While the options or about window runs modally, the toolkit gives the widget and the
    // tray icon no mouse input; their right click still opens the menu, which is how the
    // program is ended from anywhere.
    const auto menuWindow = [this](std::uintptr_t id) -> QWidget * {
        QWidget *w = QWidget::find(WId(id));
        return w && (w == this || TrayInput::isToolkitIcon(w)) ? w : nullptr;
    };
    watchRightClicks(
        this,
        [menuWindow](std::uintptr_t id) {
            // Not under a box: it waits for its answer first.
            const QWidget *modal = QApplication::activeModalWidget();
            return modal && !qobject_cast<const QMessageBox *>(modal) && menuWindow(id);
        },
        [this, menuWindow](std::uintptr_t id, QPoint local, QPoint global) {
            QWidget *w = menuWindow(id);
            // Opened once the toolkit is done with the release, which would close it.
            if (w && w->rect().contains(local))
                QTimer::singleShot(0, PopupMenu1, [this, global] {
                    if (!PopupMenu1->isVisible())
                        PopupMenu1->popup(global);
                });
        });
}

void TForm1::takeFocusBack()
{
    // Closing a window of the program leaves the keyboard to whatever the window
    // manager picks; the widget asks for it again, unless another of its windows is
    // still open.
    if (isVisible() && !QApplication::activeModalWidget())
        activateWindow();
}

void TForm1::closeOpenWindows()
{
    // A box or dialog left open would keep its own event loop waiting for a click.
    while (QWidget *modal = QApplication::activeModalWidget()) {
        if (!modal->close())
            break;
    }
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w != this && w->isVisible() && qobject_cast<QDialog *>(w))
            w->close();
    }
}

void TForm1::closeForTermination()
{
    m_terminating = true;
    closeOpenWindows();
    close();
}

void TForm1::saveOnLostDisplay()
{
    if (m_released)
        return;
    m_terminating = true;
    m_released = true;
    guarded([this] { SaveOptions(); });
}

void TForm1::minimizeApplication()
{
    if (!WidgetModel::shouldMinimize(m_app && m_app->isMinimized(), m_services.trayAvailable()))
        return;
    if (m_app)
        m_app->setMinimized(true);
    Minimize();
}

void TForm1::Minimize()
{
    if (m_app)
        m_app->hide();
    hide();
}

void TForm1::restore()
{
    guarded([this] {
        show();
        raise();
        activateWindow();
        if (m_app)
            m_app->hide();
    });
    PaintClocks();
}

void TForm1::tr1Click(Qt::MouseButton button)
{
    guarded([&] {
        if (button != Qt::LeftButton)
            return;
        if (isHidden() && m_app)
            m_app->setMinimized(false);
        restore();
    });
}

void TForm1::tr1DblClick()
{
    guarded([this] { minimizeApplication(); });
}

void TForm1::N1Click()
{
    guarded([this] {
        // Made anew each time; it destroys itself when it closes.
        showDialog(new Form2(m_model, *this));
    });
    takeFocusBack();
}

void TForm1::N2Click()
{
    guarded([this] { showDialog(new Form3(this, languageFile(m_model.dataDir()), N2)); });
    takeFocusBack();
}

void TForm1::showDialog(QDialog *dialog)
{
    // The widget is on every workspace, and a window it owns would follow it there.
    setOnCurrentWorkspace(dialog->winId());
    dialog->exec();
}

void TForm1::N4Click()
{
    guarded([this] {
        closeOpenWindows();
        close();
    });
}

void TForm1::contextMenuEvent(QContextMenuEvent *event)
{
    // The toolkit asks for the menu on the right button's press on some desktops; the
    // release opens it instead (mouseReleaseEvent). The keyboard's menu key opens it here.
    if (event->reason() != QContextMenuEvent::Mouse)
        PopupMenu1->popup(event->globalPos());
}

} // namespace tivora
