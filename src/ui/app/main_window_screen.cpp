#include "ui/app/main_window.h"

#include "core/base/guard.h"
#include "core/model/snap.h"
#include "core/render/scale.h"
#include "core/render/see_through.h"
#include "platform/window_state.h"

#include <QBackingStore>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QRegion>
#include <QScreen>
#include <QTimer>

// Where the widget stands and what of it shows: its place on the screens, as the X
// server has it, its opacity under the mouse, and the shape that makes white
// see-through.

namespace tivora {

namespace {

// The screen whose screen-pixel rectangle holds the point, else the primary one.
const QScreen *screenAtScreenPixel(QPoint p)
{
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QRect g = screen->geometry();
        const QSizeF size = QSizeF(g.size()) * screen->devicePixelRatio();
        if (QRectF(g.topLeft(), size).contains(p))
            return screen;
    }
    return QGuiApplication::primaryScreen();
}

ScreenAxis axisOf(const QScreen *screen, bool horizontal)
{
    if (!screen)
        return {};
    const QPoint origin = screen->geometry().topLeft();
    return {horizontal ? origin.x() : origin.y(), screen->devicePixelRatio()};
}

// Sets the mask's bits in the rectangle from the picture (a 32-bit image of the same
// size): set where a pixel is shown (markShownRow). Returns whether any bit changed.
bool markShown(QImage &mask, const QImage &picture, const QRect &rect)
{
    bool changed = false;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        changed |= markShownRow(reinterpret_cast<const std::uint32_t *>(picture.constScanLine(y)),
                                mask.scanLine(y), rect.left(), rect.right());
    return changed;
}

} // namespace

void TForm1::watchScreens()
{
    // A screen added, removed or resized may leave the widget where no one can reach
    // it. The check waits for the toolkit to finish the change, and runs once for the
    // several signals one change gives.
    auto *check = new QTimer(this);
    check->setSingleShot(true);
    check->setInterval(0);
    connect(check, &QTimer::timeout, this, [this] { guarded([this] { keepOnScreen(); }); });
    const auto watch = [this, check](QScreen *screen) {
        connect(screen, &QScreen::geometryChanged, check, qOverload<>(&QTimer::start));
        connect(screen, &QScreen::availableGeometryChanged, check, qOverload<>(&QTimer::start));
    };
    for (QScreen *screen : QGuiApplication::screens())
        watch(screen);
    auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (!app)
        return;
    connect(app, &QGuiApplication::screenAdded, this, [watch, check](QScreen *screen) {
        watch(screen);
        check->start();
    });
    connect(app, &QGuiApplication::screenRemoved, check, qOverload<>(&QTimer::start));
}

void TForm1::keepOnScreen()
{
    const Point p = keepReachable({x(), y()}, width(), height(), m_services.screens());
    if (p != Point {x(), y()})
        move(p.x, p.y);
}

QPoint TForm1::screenPosition() const
{
    // The toolkit's idea of the position can lag behind what the window manager did
    // while it placed or re-parented the window; the X server knows where it is, in
    // screen pixels.
    if (testAttribute(Qt::WA_WState_Created))
        if (const std::optional<ScreenPoint> p = windowTopLeft(internalWinId()))
            return {p->x, p->y};
    const QScreen *screen = QGuiApplication::screenAt(pos());
    if (!screen)
        screen = this->screen();
    return {screenCoordinate(x(), axisOf(screen, true)), screenCoordinate(y(), axisOf(screen, false))};
}

QPoint TForm1::designedPosition(QPoint screenPixel) const
{
    const QScreen *screen = screenAtScreenPixel(screenPixel);
    return {designedCoordinate(screenPixel.x(), axisOf(screen, true)),
            designedCoordinate(screenPixel.y(), axisOf(screen, false))};
}

WindowPlacement TForm1::placement() const
{
    // The settings count in screen pixels. A widget not moved since it was placed keeps
    // the place it was given: at a scale above 1 not every screen pixel has a designed
    // one, and rounding must not move it a pixel on every start.
    if (pos() == m_placedDesigned)
        return {stayOnTop(), m_placedScreen.y(), m_placedScreen.x()};
    const QPoint p = screenPosition();
    return {stayOnTop(), p.y(), p.x()};
}

void TForm1::applyPlacement(const WindowPlacement &placement)
{
    setStayOnTop(placement.stayOnTop);
    m_placedScreen = QPoint(placement.left, placement.top);
    move(designedPosition(m_placedScreen));
    m_placedDesigned = pos();
}

void TForm1::updateOpacity()
{
    if (!m_model.opacitySwitch())
        return;
    const QPoint c = QCursor::pos();
    const QRect g = frameGeometry();
    const bool over = cursorOverWindow(c.x(), c.y(), g.left(), g.top(), g.width(), g.height());
    if (const std::optional<int> value = m_model.opacityFor(over))
        setWindowOpacity(*value / 255.0);
}

void TForm1::updateShape(const QRegion &painted, const QImage *from)
{
    if (!m_model.options.ShowWhiteBG) {
        if (!m_shape.isNull()) {
            m_shape = QImage();
            m_windowShape.clear();
        }
        return;
    }
    // The shape keeps every pixel that is not exactly white. It is read where the
    // picture was just painted, from the window's buffer, which is the picture itself;
    // a buffer that cannot be read gives the picture drawn whole.
    const QImage *buffer = from;
    if (!buffer) {
        QPaintDevice *device = backingStore() ? backingStore()->paintDevice() : nullptr;
        if (device && device->devType() == QInternal::Image)
            buffer = static_cast<const QImage *>(device);
    }
    QImage converted;
    if (!buffer || buffer->depth() != 32) {
        converted = (buffer ? *buffer : picture()).convertToFormat(QImage::Format_RGB32);
        buffer = &converted;
    }
    const qreal ratio = buffer->devicePixelRatio();
    if (m_shape.size() != buffer->size()) {
        m_shape = QImage(buffer->size(), QImage::Format_MonoLSB);
        m_shape.fill(0);
        m_shapeKnown = false;
    }
    const QRegion area = m_shapeKnown ? painted : QRegion(buffer->rect());
    int top = INT_MAX;
    int bottom = INT_MIN;
    for (const QRect &r : area) {
        const QRect d = QRectF(r.x() * ratio, r.y() * ratio, r.width() * ratio, r.height() * ratio)
                            .toAlignedRect()
                            .intersected(buffer->rect());
        if (!d.isEmpty() && markShown(m_shape, *buffer, d)) {
            top = std::min(top, d.top());
            bottom = std::max(bottom, d.bottom() + 1);
        }
    }
    // The window system keeps the shape of a window; a new native window needs it anew.
    if (m_shapedWindow != winId() || !m_shapeKnown) {
        m_shapedWindow = winId();
        top = 0;
        bottom = m_shape.height();
    }
    m_shapeKnown = true;
    if (top < bottom) {
        ++m_maskUpdates;
        // A repaint's pixels reach the window right after the shape; the first picture
        // (from) is not in the window yet.
        m_windowShape.set(m_shapedWindow, m_shape, top, bottom, !from);
    }
}

} // namespace tivora
