#include "ui/app/main_window.h"

#include "ui/about/about_window.h"
#include "ui/app/app_window.h"
#include "core/model/snap.h"
#include "core/time/ticks.h"
#include "ui/app/tray_input.h"
#include "core/base/guard.h"
#include "core/base/ini_file.h"
#include "core/base/paths.h"
#include "ui/i18n/qt_language.h"
#include "ui/options/options_dialog.h"
#include "ui/app/message_box.h"
#include "platform/instance_control.h"
#include "platform/right_clicks.h"
#include "platform/window_state.h"
#include "core/render/clock_grid.h"
#include "core/render/see_through.h"
#include "ui/skins/skin_files.h"

#include <QAction>
#include <QApplication>
#include <QBackingStore>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QDialog>
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
#include <QWheelEvent>
#include <QWindow>
#include <climits>
#include <cmath>
#include <cstdio>

namespace tivora {

namespace {

DesktopServices withDefaults(DesktopServices s)
{
    if (!s.trayAvailable)
        s.trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    if (!s.clock.clockMs)
        s.clock.clockMs = systemClock().clockMs;
    if (!s.clock.localOffset)
        s.clock.localOffset = systemClock().localOffset;
    if (!s.screens)
        s.screens = [] {
            const auto box = [](const QRect &r) {
                return Box {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
            };
            std::vector<ScreenArea> screens;
            for (const QScreen *screen : QGuiApplication::screens())
                screens.push_back({box(screen->geometry()), box(screen->availableGeometry())});
            return screens;
        };
    return s;
}

int screenDpi()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? int(std::lround(screen->logicalDotsPerInchY())) : 96;
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
// size): set where a pixel is shown (markShownRow). Returns whether any bit changed.
bool markShown(QImage &mask, const QImage &picture, const QRect &rect)
{
    bool changed = false;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        changed |= markShownRow(reinterpret_cast<const std::uint32_t *>(picture.constScanLine(y)),
                                mask.scanLine(y), rect.left(), rect.right());
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
    if (!m_services.warning)
        m_services.warning = [this](const QString &title, const QString &text) {
            showMessageBox(QMessageBox::Warning, title, text, boxOwner(this));
        };
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
    ScrubTimer = new QTimer(this);
    ScrubTimer->setObjectName("ScrubTimer");
    ScrubTimer->setSingleShot(true);
    ScrubTimer->setInterval(ScrubTimeoutMs);
    connect(ScrubTimer, &QTimer::timeout, this, &TForm1::scrubToNow);
    createMenu();
    setBuiltInTexts(this, Texts);
    if (!m_context.snapshot)
        watchScreens();

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

    tr1 = new QSystemTrayIcon(QIcon(QStringLiteral(":/icons/tray.png")), this);
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

void TForm1::takeFocusBack()
{
    // Closing a window of the program leaves the keyboard to whatever the window
    // manager picks; the widget asks for it again, unless another of its windows is
    // still open.
    if (isVisible() && !QApplication::activeModalWidget())
        activateWindow();
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
    refreshZoneClocks();
    if (!m_context.snapshot)
        applyLanguage(this, languageFile(m_model.dataDir()), &m_model.LangMessages, PopupMenu1);
}

QPoint TForm1::screenPosition() const
{
    // The toolkit's idea of the position can lag behind what the window manager did
    // while it placed or re-parented the window; the X server knows where it is.
    if (testAttribute(Qt::WA_WState_Created))
        if (const std::optional<ScreenPoint> p = windowTopLeft(internalWinId()))
            return {p->x, p->y};
    return pos();
}

WindowPlacement TForm1::placement() const
{
    const QPoint p = screenPosition();
    return {stayOnTop(), p.y(), p.x()};
}

void TForm1::applyPlacement(const WindowPlacement &placement)
{
    setStayOnTop(placement.stayOnTop);
    move(placement.left, placement.top);
}

void TForm1::startTicking()
{
    if (m_context.snapshot)
        return;
    tr1->show();
    Timer1->start(planTick(m_services.clock.clockMs(), m_paintedSecond).delayMs);
}

void TForm1::warn(const std::string &title, const std::string &text)
{
    if (m_terminating) {
        std::fprintf(stderr, "tivora: %s: %s\n", title.c_str(), text.c_str());
        return;
    }
    m_services.warning(QString::fromStdString(title), QString::fromStdString(text));
    takeFocusBack();
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
    if (onTop == m_onTop)
        return;
    m_onTop = onTop;
    // Asked of the window manager for the window as it is: a new native window (what a
    // change of the toolkit's window flags makes) would lose its place, its shape and
    // the states that keep it a widget. A hidden window gets it when it is shown.
    if (isVisible())
        setKeptAbove(winId(), onTop);
}

bool TForm1::stayOnTop() const
{
    return m_onTop;
}

void TForm1::setOptionsItemEnabled(bool enabled)
{
    if (N1)
        N1->setEnabled(enabled);
}

void TForm1::holdClock()
{
    Timer1->stop();
}

void TForm1::resumeClock()
{
    Timer1->start();
}

void TForm1::setOpacitySwitch(bool on)
{
    setWindowOpacity(m_model.setOpacitySwitch(on) / 255.0);
}

QRegion TForm1::record(const LocalDateTime &time)
{
    FaceContext ctx {m_model.options, m_skin, time, m_timeSeparator, &m_zones};
    if (m_scrub.active()) {
        ctx.scrubbed = true;
        ctx.scrubText = shiftText(m_scrub.shiftMinutes(), m_model.LangMessages);
    }
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

const QImage &TForm1::picture()
{
    m_canvas.resize(m_pictureSize.width(), m_pictureSize.height());
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
    const LocalDateTime now = m_services.clock.now();
    // A new offset from UTC may be a new local zone: the zone-bound clocks' offsets are
    // relative to it.
    if (now.utcOffset != m_localOffsetSeen) {
        m_localOffsetSeen = now.utcOffset;
        refreshZoneClocks();
    }
    const QRegion changed = record(shownTime());
    updateOpacity();
    // Painted and shown at once, so the tick's picture is on the screen in the tick.
    if (!changed.isEmpty())
        repaint(changed);
}

LocalDateTime TForm1::shownTime() const
{
    const LocalDateTime now = m_services.clock.now();
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

void TForm1::refreshZoneClocks()
{
    const TimeZoneSource zones = systemTimeZones();
    if (refreshZoneOffsets(m_model.clocks, zones.standardOffset, zones.localStandardOffset()))
        m_repaintAll = true;
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
    // A resize asks for the position the toolkit has in mind as well: it must be where
    // the window really is, or the widget would jump there.
    if (isVisible()) {
        const QPoint real = screenPosition();
        if (real != pos())
            move(real);
    }
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
    const TickPlan plan = planTick(m_services.clock.clockMs(), m_paintedSecond);
    Timer1->start(plan.delayMs);
    if (!plan.paint)
        return;
    m_paintedSecond = plan.second;
    guarded([this] { PaintClocks(); });
    if (m_context.trace)
        std::fprintf(stderr, "tivora: tick %lld\n", static_cast<long long>(m_services.clock.clockMs()));
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

void TForm1::FormShow()
{
    guarded([this] {
        if (m_app)
            m_app->hide();
        if (!m_context.snapshot)
            tr1->show();
        SetFormSize();
        if (!m_context.snapshot)
            keepOnScreen();
        // The first picture is painted before the window is mapped: fonts are loaded
        // and texts measured now, and a see-through window gets its shape before it
        // first shows.
        record(m_services.clock.now());
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
    // Not on the taskbar or pager, and on every workspace.
    setWidgetWindowState(winId(), m_onTop);
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
            record(shownTime());
        // Only the calls that reach the area to paint are made again; the painter is
        // clipped to it.
        const QRegion &area = event->region();
        {
            QPainter painter(this);
            m_canvas.begin(painter, m_pictureSize.width(), m_pictureSize.height(), area);
            replay(m_picture.ops(), m_canvas,
                   AreaCover(m_pictureSize.width(), m_pictureSize.height(), boxesOf(area)));
            m_canvas.end();
        }
        updateShape(area);
        if (!m_painted && m_context.trace)
            std::fprintf(stderr, "tivora: first-paint %lld\n",
                         static_cast<long long>(m_services.clock.clockMs()));
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

void TForm1::contextMenuEvent(QContextMenuEvent *event)
{
    // The toolkit asks for the menu on the right button's press on some desktops; the
    // release opens it instead (mouseReleaseEvent). The keyboard's menu key opens it here.
    if (event->reason() != QContextMenuEvent::Mouse)
        PopupMenu1->popup(event->globalPos());
}

} // namespace tivora
