#include "ui/app/tray_input.h"

#include "platform/tray_icon.h"

#include <QMouseEvent>
#include <QWidget>

namespace tivora {

TrayInput::TrayInput(std::function<bool(const QObject *)> isIcon, QObject *parent)
    : QObject(parent), m_isIcon(std::move(isIcon))
{ }

bool TrayInput::isToolkitIcon(const QObject *object)
{
    return isToolkitTrayIcon(object);
}

bool TrayInput::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease
        && type != QEvent::MouseButtonDblClick)
        return false;
    if (!watched->isWidgetType() || !m_isIcon(watched))
        return false;
    const auto *mouse = static_cast<QMouseEvent *>(event);
    const Qt::MouseButton button = mouse->button();
    if (button != Qt::LeftButton && button != Qt::RightButton)
        return false;

    switch (type) {
    case QEvent::MouseButtonDblClick:
        if (button == Qt::LeftButton) {
            // The second press of a double-click: no click follows its release.
            m_pressed &= ~Qt::LeftButton;
            emit doubleClicked();
        } else {
            m_pressed |= button;
        }
        break;
    case QEvent::MouseButtonPress:
        m_pressed |= button;
        break;
    default: { // the release: a click when the press was on the icon and so is the release
        const bool click = m_pressed.testFlag(button)
            && static_cast<QWidget *>(watched)->rect().contains(mouse->position().toPoint());
        m_pressed &= ~button;
        if (click && button == Qt::LeftButton)
            emit clicked();
        else if (click)
            emit menuRequested(mouse->globalPosition().toPoint());
        break;
    }
    }
    return true;
}

} // namespace tivora
