#include "ui/app/main_window.h"

#include "core/base/guard.h"
#include "core/model/snap.h"
#include "core/time/clock_time.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <QWheelEvent>

// The widget under the mouse and the keyboard: dragging, hiding, the menu key, and
// moving every clock to another moment with the wheel or the keys.

namespace tivora {

LocalDateTime TForm1::shownTime() const
{
    return shownTime(m_services.clock.now());
}

LocalDateTime TForm1::shownTime(const LocalDateTime &now) const
{
    if (!m_scrub.active())
        return now;
    return scrubbedTime(now, m_scrub.shiftMinutes(), m_services.clock.localOffset);
}

void TForm1::scrubBy(ScrubStep kind, int steps)
{
    m_scrub.step(kind, steps);
    showScrubStep();
}

void TForm1::showScrubStep()
{
    ScrubTimer->start();
    // Drawn at once rather than at the next tick.
    guarded([this] { PaintClocks(); });
}

void TForm1::scrubToNow()
{
    ScrubTimer->stop();
    if (!m_scrub.active())
        return;
    m_scrub.reset();
    guarded([this] { PaintClocks(); });
}

void TForm1::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton)
        m_rightPressed = true; // the menu opens when it is released on the window
    if (event->button() != Qt::LeftButton)
        return;
    m_pressPoint = event->position().toPoint();
    m_pressGlobal = event->globalPosition().toPoint();
    m_dragging = true;
}

void TForm1::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging)
        return;
    guarded([&] {
        const QPoint cursor = event->globalPosition().toPoint();
        const Point p =
            snapToScreens({cursor.x() - m_pressPoint.x(), cursor.y() - m_pressPoint.y()}, width(),
                          height(), m_services.screens());
        move(p.x, p.y);
    });
}

void TForm1::mouseReleaseEvent(QMouseEvent *event)
{
    // A left click that did not drag the window brings scrubbed clocks back to now.
    if (event->button() == Qt::LeftButton && m_dragging
        && (event->globalPosition().toPoint() - m_pressGlobal).manhattanLength()
            < QApplication::startDragDistance())
        scrubToNow();
    m_dragging = false;
    if (event->button() != Qt::RightButton)
        return;
    // A right click opens the popup menu on its release, so that a press dragged onto
    // an item does not choose it.
    const bool click = m_rightPressed && rect().contains(event->position().toPoint());
    m_rightPressed = false;
    if (click)
        PopupMenu1->popup(event->globalPosition().toPoint());
}

void TForm1::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double-click; only the left button's hides the window.
    if (event->button() == Qt::RightButton)
        m_rightPressed = true;
    if (event->button() == Qt::LeftButton)
        guarded([this] { minimizeApplication(); });
}

void TForm1::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        // Esc first brings scrubbed clocks back to now; only then does it hide the widget.
        // A key held down repeats: that must not hide the widget it just brought back.
        if (m_scrub.active())
            scrubToNow();
        else if (!event->isAutoRepeat())
            guarded([this] { minimizeApplication(); });
        return;
    case Qt::Key_Plus:
    case Qt::Key_Equal: // the key of "+" without Shift
        return scrubBy(ScrubStep::Quarter, 1);
    case Qt::Key_Minus:
        return scrubBy(ScrubStep::Quarter, -1);
    case Qt::Key_PageUp:
        return scrubBy(ScrubStep::Hour, 1);
    case Qt::Key_PageDown:
        return scrubBy(ScrubStep::Hour, -1);
    default:
        return;
    }
}

void TForm1::wheelEvent(QWheelEvent *event)
{
    // Forward (away from the user) is later. A wheel turned with Alt arrives sideways.
    const QPoint angle = event->angleDelta();
    const int delta = angle.y() != 0 ? angle.y() : angle.x();
    const Qt::KeyboardModifiers mods = event->modifiers();
    const ScrubStep kind = mods.testFlag(Qt::ControlModifier) ? ScrubStep::Day
        : mods.testFlag(Qt::ShiftModifier)                     ? ScrubStep::Hour
                                                               : ScrubStep::Quarter;
    event->accept();
    if (m_scrub.wheel(delta, kind) != 0)
        showScrubStep();
}

} // namespace tivora
