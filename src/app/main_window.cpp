#include "app/main_window.h"

#include "about/about_window.h"
#include "app/app_window.h"
#include "app/snap.h"
#include "app/ticks.h"
#include "app/tray_input.h"
#include "base/guard.h"
#include "base/ini_file.h"
#include "base/paths.h"
#include "i18n/qt_language.h"
#include "options/options_dialog.h"
#include "platform/instance_control.h"
#include "platform/wall_clock.h"
#include "platform/window_state.h"
#include "render/clock_grid.h"
#include "render/scale.h"
#include "skins/skin_files.h"

#include <QAction>
#include <QApplication>
#include <QBackingStore>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <climits>
#include <cmath>
#include <cstdio>

namespace tivora {

namespace {

DesktopServices withDefaults(DesktopServices s)
{
    if (!s.trayAvailable)
        s.trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    if (!s.warning)
        s.warning = [](const QString &title, const QString &text) {
            QMessageBox::warning(nullptr, title, text, QMessageBox::Ok);
        };
    if (!s.now)
        s.now = localTimeNow;
    if (!s.clockMs)
        s.clockMs = wallClockMs;
    if (!s.workArea)
        s.workArea = [] {
            const QScreen *screen = QGuiApplication::primaryScreen();
            return screen ? screen->availableGeometry() : QRect();
        };
    return s;
}

// The skins' fonts are sized at the designed density; on a scaled desktop the toolkit
// draws them, like everything else, at the screen's scale.
int screenDpi()
{
    return 96;
}

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

std::vector<Box> boxesOf(const QRegion &region)
{
    std::vector<Box> boxes;
    boxes.reserve(size_t(region.rectCount()));
    for (const QRect &r : region)
        boxes.push_back({r.left(), r.top(), r.left() + r.width(), r.top() + r.height()});
    return boxes;
}

// Sets the mask's bits in the rectangle from the picture (a 32-bit image of the same
// size): set where a pixel is not exactly white. Returns whether any bit changed.
bool markShown(QImage &mask, const QImage &picture, const QRect &rect)
{
    bool changed = false;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        const auto *pixels = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
        uchar *bits = mask.scanLine(y);
        for (int x = rect.left(); x <= rect.right();) {
            // Eight pixels (or what is left of them in this byte) at a time.
            const int first = x & 7;
            const int last = std::min(7, first + rect.right() - x);
            uchar shown = 0;
            for (int b = first; b <= last; ++b, ++x)
                shown |= uchar(((pixels[x] & 0xffffff) != 0xffffff) << b);
            const uchar inside = uchar((0xff >> (7 - last)) & (0xff << first));
            uchar &byte = bits[(x - 1) >> 3];
            const uchar updated = uchar((byte & ~inside) | shown);
            changed |= updated != byte;
            byte = updated;
        }
    }
    return changed;
}

// The built-in texts of the window and its popup menu.
const BuiltInText Texts[] = {
    {"Form1", "Form1"},    {"N11", "Показать"}, {"N1", "Настройки"},
    {"N2", "О программе"}, {"N4", "Выход"},
};

} // namespace

TForm1::TForm1(StartupContext context, AppWindow *appWindow, DesktopServices services)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint),
      m_context(std::move(context)),
      m_app(appWindow),
      m_services(withDefaults(std::move(services))),
      m_model(m_context.dataDir, settingsFile(m_context.dataDir, m_context.executable)),
      m_dpi(screenDpi()),
      m_canvas(m_dpi)
{
    setObjectName("Form1");
    setAttribute(Qt::WA_QuitOnClose, false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(DesignLeft, DesignTop, 128, 31);
    setPalette(QPalette(palette().color(QPalette::Button)));
    m_timeSeparator = WidgetModel::timeSeparatorOf(
        QLocale::system().timeFormat(QLocale::LongFormat).toStdString());
    if (m_app)
        m_app->setMainWindow(this);

    // One shot at a time, armed for just after the next whole second of the wall clock
    // (Timer1Timer); starting it again without an interval fires within the second.
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setSingleShot(true);
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    createMenu();
    setBuiltInTexts(this, Texts);

    guarded([this] { FormCreate(); });
}

TForm1::~TForm1() = default;

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
}

void TForm1::FormCreate()
{
    // Instance control: close every other instance before the settings are read, so
    // this one starts with what they saved.
    std::vector<std::string> args;
    for (const QString &a : m_context.arguments)
        args.push_back(a.toStdString());
    if (!m_context.snapshot && WidgetModel::closeOthersRequested(args))
        closeWindowsTitled(AppWindow::Title, m_app ? m_app->nativeId() : 0);

    m_dragging = false;
    m_model.load(*this);
    if (!m_context.snapshot)
        applyLanguage(this, languageFile(m_model.dataDir()), &m_model.LangMessages, PopupMenu1);
}

WindowPlacement TForm1::placement() const
{
    // The settings count in screen pixels. A widget not moved since it was placed keeps
    // the place it was given: at a scale above 1 not every screen pixel has a designed
    // one, and rounding must not move it a pixel on every start.
    if (pos() == m_placedDesigned)
        return {stayOnTop(), m_placedScreen.y(), m_placedScreen.x()};
    const QScreen *screen = QGuiApplication::screenAt(pos());
    if (!screen)
        screen = this->screen();
    return {stayOnTop(), screenCoordinate(y(), axisOf(screen, false)),
            screenCoordinate(x(), axisOf(screen, true))};
}

void TForm1::applyPlacement(const WindowPlacement &placement)
{
    setStayOnTop(placement.stayOnTop);
    const QPoint at(placement.left, placement.top);
    const QScreen *screen = screenAtScreenPixel(at);
    move(designedCoordinate(at.x(), axisOf(screen, true)),
         designedCoordinate(at.y(), axisOf(screen, false)));
    m_placedScreen = at;
    m_placedDesigned = pos();
}

void TForm1::startTicking()
{
    if (m_context.snapshot)
        return;
    tr1->show();
    Timer1->start(planTick(m_services.clockMs(), m_paintedSecond).delayMs);
}

void TForm1::warn(const std::string &title, const std::string &text)
{
    if (m_terminating) {
        std::fprintf(stderr, "tivora: %s: %s\n", title.c_str(), text.c_str());
        return;
    }
    m_services.warning(QString::fromStdString(title), QString::fromStdString(text));
}

void TForm1::closeForTermination()
{
    m_terminating = true;
    // A box or dialog left open would keep its own event loop waiting for a click.
    while (QWidget *modal = QApplication::activeModalWidget()) {
        if (!modal->close())
            break;
    }
    close();
}

void TForm1::LoadSkin()
{
    m_repaintAll = true;
    tivora::LoadSkin(m_model.dataDir(), m_model.options, m_skin, m_dpi);
}

void TForm1::useBuiltInSkin(const std::string &reason)
{
    std::fprintf(stderr, "tivora: %s; drawing the built-in skin instead\n", reason.c_str());
    m_repaintAll = true;
    tivora::useBuiltInSkin(m_model.options, m_skin, m_dpi);
}

void TForm1::SaveSkin()
{
    m_repaintAll = true; // the image is read again
    tivora::SaveSkin(m_model.dataDir(), m_model.options, m_skin);
}

void TForm1::SaveOptions()
{
    m_model.save(*this);
}

void TForm1::setStayOnTop(bool onTop)
{
    if (onTop == stayOnTop())
        return;
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (wasVisible)
        show();
}

bool TForm1::stayOnTop() const
{
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void TForm1::setOpacitySwitch(bool on)
{
    setWindowOpacity(m_model.setOpacitySwitch(on) / 255.0);
}

QRegion TForm1::record(const LocalDateTime &time)
{
    const FaceContext ctx {m_model.options, m_skin, time, m_timeSeparator, &m_zones};
    m_picture.begin(m_pictureSize.width(), m_pictureSize.height());
    composeGrid(m_picture, ctx, m_model.clocks);
    m_canvas.endFrame();
    // A change of the options, the skin or the size repaints everything; otherwise only
    // where a drawing call changed: the hands that moved and the texts that changed.
    const bool all = m_repaintAll || !(m_model.options == m_paintedOptions);
    m_repaintAll = false;
    if (all) {
        m_paintedOptions = m_model.options;
        return QRegion(0, 0, m_pictureSize.width(), m_pictureSize.height());
    }
    QRegion changed;
    for (const Box &b : mergeBoxes(m_picture.changedAreas()))
        changed += QRect(b.left, b.top, b.right - b.left, b.bottom - b.top);
    return changed;
}

double TForm1::pictureScale() const
{
    return m_context.snapshot ? m_context.snapshotScale : devicePixelRatioF();
}

const QImage &TForm1::picture()
{
    m_canvas.resize(m_pictureSize.width(), m_pictureSize.height(), pictureScale());
    replay(m_picture.ops(), m_canvas);
    return m_canvas.image();
}

const QImage &TForm1::paintAt(const LocalDateTime &time)
{
    record(time);
    m_repaintAll = true; // the window has not been given this picture
    return picture();
}

void TForm1::PaintClocks()
{
    if (m_released)
        return;
    const QRegion changed = record(m_services.now());
    updateOpacity();
    // Painted and shown at once, so the tick's picture is on the screen in the tick.
    if (!changed.isEmpty())
        repaint(changed);
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
        m_windowShape.set(m_shapedWindow, m_shape, top, bottom);
    }
}

void TForm1::SetFormSize()
{
    const GridSize grid = m_model.formSize();
    setFixedSize(grid.width, grid.height);
    QPalette pal = palette();
    const Color bg = WidgetModel::backgroundColor(m_skin.isNull() ? nullptr : &m_skin);
    pal.setColor(QPalette::Window, QColor(bg.r, bg.g, bg.b));
    setPalette(pal);
    m_pictureSize = QSize(grid.width, grid.height);
    m_repaintAll = true;
    m_shapeKnown = false;
    if (!m_model.options.ShowWhiteBG && !m_shape.isNull()) {
        m_shape = QImage();
        m_windowShape.clear();
    }
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

void TForm1::Timer1Timer()
{
    if (m_released)
        return;
    const TickPlan plan = planTick(m_services.clockMs(), m_paintedSecond);
    Timer1->start(plan.delayMs);
    if (!plan.paint)
        return;
    m_paintedSecond = plan.second;
    guarded([this] { PaintClocks(); });
    if (m_context.trace)
        std::fprintf(stderr, "tivora: tick %lld\n", static_cast<long long>(m_services.clockMs()));
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
        auto *dialog = new Form2(m_model, *this);
        dialog->exec();
    });
}

void TForm1::N2Click()
{
    guarded([this] { (new Form3(this, languageFile(m_model.dataDir()), N2))->exec(); });
}

void TForm1::N4Click()
{
    guarded([this] { close(); });
}

void TForm1::FormShow()
{
    guarded([this] {
        if (m_app)
            m_app->hide();
        if (!m_context.snapshot)
            tr1->show();
        SetFormSize();
        // The first picture is painted before the window is mapped: fonts are loaded
        // and texts measured now, and a see-through window gets its shape before it
        // first shows.
        record(m_services.now());
        const QImage &first = picture();
        updateShape(first.rect(), &first);
        m_canvas.resize(0, 0); // from here on the window's buffer holds the picture
    });
}

void TForm1::FormClose()
{
    SaveOptions();
    // Nothing paints after this: the picture and the skin image are released.
    m_released = true;
    Timer1->stop();
    m_skin.setImage(QImage());
    m_pictureSize = QSize();
    m_canvas.resize(0, 0);
    tr1->hide();
}

void TForm1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    // The window manager must not list the widget on the taskbar or pager.
    setSkipTaskbar(winId());
    FormShow();
    // A newly started program has the keyboard (Esc hides it); a tool window is not
    // given it by every window manager unless it asks.
    if (!m_activatedOnce) {
        m_activatedOnce = true;
        activateWindow();
    }
}

void TForm1::closeEvent(QCloseEvent *event)
{
    if (!m_released)
        guarded([this] { FormClose(); });
    event->accept();
    QCoreApplication::quit();
}

void TForm1::paintEvent(QPaintEvent *event)
{
    guarded([&] {
        if (m_released)
            return;
        if (m_picture.ops().empty())
            record(m_services.now());
        // Only the calls that reach the area to paint are made again; the painter is
        // clipped to it.
        const QRegion &area = event->region();
        {
            QPainter painter(this);
            m_canvas.begin(painter, m_pictureSize.width(), m_pictureSize.height());
            replay(m_picture.ops(), m_canvas,
                   AreaCover(m_pictureSize.width(), m_pictureSize.height(), boxesOf(area)));
            m_canvas.end();
        }
        updateShape(area);
        if (!m_painted && m_context.trace)
            std::fprintf(stderr, "tivora: first-paint %lld\n",
                         static_cast<long long>(m_services.clockMs()));
        m_painted = true;
    });
}

void TForm1::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton)
        m_rightPressed = true; // the menu opens when it is released on the window
    if (event->button() != Qt::LeftButton)
        return;
    m_pressPoint = event->position().toPoint();
    m_dragging = true;
}

void TForm1::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging)
        return;
    guarded([&] {
        const QPoint cursor = event->globalPosition().toPoint();
        const QRect a = m_services.workArea();
        const WorkArea area {a.left(), a.top(), a.left() + a.width(), a.top() + a.height()};
        const Position p =
            snapToWorkArea({cursor.x() - m_pressPoint.x(), cursor.y() - m_pressPoint.y()}, width(),
                           height(), area);
        move(p.left, p.top);
    });
}

void TForm1::mouseReleaseEvent(QMouseEvent *event)
{
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
    if (event->key() == Qt::Key_Escape)
        guarded([this] { minimizeApplication(); });
}

void TForm1::contextMenuEvent(QContextMenuEvent *event)
{
    // The toolkit asks for the menu on the right button's press on some desktops; the
    // release opens it instead (mouseReleaseEvent). The keyboard's menu key opens it here.
    if (event->reason() != QContextMenuEvent::Mouse)
        PopupMenu1->popup(event->globalPos());
}

} // namespace tivora
