#include "ui/app/main_window.h"

#include "ui/about/about_window.h"
#include "ui/app/app_window.h"
#include "core/model/snap.h"
#include "core/time/ticks.h"
#include "ui/app/tick_parts.h"
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

#include <QBackingStore>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QSocketNotifier>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <utility>

namespace tivora {

#ifdef TIVORA_TICK_PARTS
TickPart tickPartsRun()
{
    static const TickPart part = [] {
        const QByteArray name = qgetenv("TIVORA_TICK_PART");
        if (name == "clock")
            return TickPart::Clock;
        if (name == "record")
            return TickPart::Record;
        if (name == "draw")
            return TickPart::Draw;
        if (name == "draw-twice")
            return TickPart::DrawTwice;
        return TickPart::Show;
    }();
    return part;
}
#endif

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

// The skins' fonts are sized at the designed density; on a scaled desktop the toolkit
// draws them, like everything else, at the screen's scale.
int screenDpi()
{
    return 96;
}

std::vector<Box> boxesOf(const QRegion &region)
{
    std::vector<Box> boxes;
    boxes.reserve(size_t(region.rectCount()));
    for (const QRect &r : region)
        boxes.push_back({r.left(), r.top(), r.left() + r.width(), r.top() + r.height()});
    return boxes;
}

// The built-in texts of the window and its popup menu.
const BuiltInText Texts[] = {
    {"Form1", "Form1"},    {"N11", "Показать"}, {"N1", "Настройки"},
    {"N2", "О программе"}, {"N4", "Выход"},
};

// The pixels of an area, for the trace of what a second shows anew.
long long pixelsIn(const QRegion &area)
{
    long long pixels = 0;
    for (const QRect &r : area)
        pixels += static_cast<long long>(r.width()) * r.height();
    return pixels;
}

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
    if (!m_context.snapshot) {
        watchScreens();
        watchTimeJumps();
    }

    guarded([this] { FormCreate(); });
}

TForm1::~TForm1() = default;

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

void TForm1::startTicking()
{
    if (m_context.snapshot)
        return;
    tr1->show();
    Timer1->start(planTick(m_services.clock.clockMs(), m_paintedSecond).delayMs);
}

void TForm1::watchTimeJumps()
{
    // Frames handed to the window system were drawn for the time and zone of then.
    m_zoneWatch.mayHaveChanged(); // its first answer is always yes
    for (const int fd : {m_clockSet.fd(), m_zoneWatch.fd()}) {
        if (fd < 0)
            continue;
        auto *notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] {
            const bool set = m_clockSet.wasSet();
            if ((m_zoneWatch.mayHaveChanged() || set) && settleFrames())
                guarded([this] { PaintClocks(); });
        });
    }
    m_frames.onExposed([this] {
        // The toolkit hands an uncovered part the pixels of the window's buffer next:
        // they must be those of now.
        if (settleFrames())
            update();
    });
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
    // The region is made in one go from disjoint banded boxes, as it keeps them.
    const std::vector<Box> bands = bandedBoxes(mergeBoxes(m_picture.changedAreas()));
    std::vector<QRect> rects;
    rects.reserve(bands.size());
    for (const Box &b : bands)
        rects.emplace_back(b.left, b.top, b.right - b.left, b.bottom - b.top);
    QRegion changed;
    changed.setRects(rects.data(), int(rects.size()));
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
    settleFrames();
    const LocalDateTime now = m_services.clock.now();
    // A new offset from UTC may be a new local zone: the zone-bound clocks' offsets are
    // relative to it.
    if (now.utcOffset != m_localOffsetSeen) {
        m_localOffsetSeen = now.utcOffset;
        refreshZoneClocks();
    }
    if (tickPartsRun() == TickPart::Clock)
        return;
    const QRegion changed = record(shownTime(now)) | std::exchange(m_unshown, QRegion());
    updateOpacity();
    if (tickPartsRun() == TickPart::Record)
        return;
    // Painted and shown at once, so the tick's picture is on the screen in the tick.
    m_shownArea = changed;
    if (changed.isEmpty())
        return;
    if (!paintStraight(changed))
        repaint(changed);
    ++m_shows;
}

QImage *TForm1::windowBuffer()
{
    // The window's buffer is drawn into directly, as a repaint would do it but without
    // the toolkit's widget repaint around it (repaint manager, paint event, a painter on
    // the widget): code a tick would otherwise run cold once a second. Only at scale 1,
    // once the buffer is the window's size.
    QWindow *window = windowHandle();
    QBackingStore *store = backingStore();
    if (!store || !window || !window->isExposed() || !updatesEnabled() || pictureScale() != 1)
        return nullptr;
    QPaintDevice *device = store->paintDevice();
    auto *pixels = device && device->devType() == QInternal::Image ? static_cast<QImage *>(device)
                                                                   : nullptr;
    const bool fits = pixels && pixels->size() == m_pictureSize
        && pixels->devicePixelRatio() == 1 && (pixels->format() == QImage::Format_RGB32
                                              || pixels->format() == QImage::Format_ARGB32_Premultiplied);
    return fits ? pixels : nullptr;
}

void TForm1::drawInto(QImage &pixels, const QRegion &area)
{
    const AreaCover cover(m_pictureSize.width(), m_pictureSize.height(), boxesOf(area));
    for (int pass = tickPartsRun() == TickPart::DrawTwice ? 2 : 1; pass > 0; --pass) {
        m_canvas.begin(pixels, m_pictureSize.width(), m_pictureSize.height(), area);
        replay(m_picture.ops(), m_canvas, cover);
        m_canvas.end();
    }
}

bool TForm1::paintStraight(const QRegion &area)
{
    if (!windowBuffer())
        return false;
    // The begin of a paint may make the buffer anew (at a new scale): it is asked for
    // again after it.
    backingStore()->beginPaint(area);
    QImage *pixels = windowBuffer();
    if (pixels)
        drawInto(*pixels, area);
    backingStore()->endPaint();
    if (!pixels)
        return false;
    if (tickPartsRun() == TickPart::Draw)
        return true;
    updateShape(area);
    backingStore()->flush(area, windowHandle());
    return true;
}

void TForm1::scheduleFrames(std::int64_t second)
{
    static const bool switchedOff = qEnvironmentVariableIsSet("TIVORA_NO_FRAMES");
    if (switchedOff || m_context.snapshot || m_released || tickPartsRun() != TickPart::Show
        || m_scrub.active() || m_model.opacitySwitch() || m_model.options.ShowWhiteBG
        || pictureScale() != 1 || !isVisible() || !windowHandle() || !windowHandle()->isExposed())
        return;
    // The atlas of a batch holds two windows' worth: room for every change of a second,
    // and for some thirty seconds of hands going round.
    constexpr int MaxFrames = 30;
    const std::size_t windowBytes = std::size_t(m_pictureSize.width()) * m_pictureSize.height() * 4;
    if (!m_frames.open(winId(), m_pictureSize.width(), m_pictureSize.height(),
                       std::clamp<std::size_t>(2 * windowBytes, 256 << 10, 8 << 20)))
        return;
    // Drawn without the buffer's begin and end of a paint, which only tell the toolkit
    // what to send at its next flush and would gather every frame's area until then:
    // the frames send their pixels themselves, and whatever ends them repaints it all.
    QImage *pixels = windowBuffer();
    if (!pixels)
        return;
    const std::int64_t wallMs = m_services.clock.clockMs();
    const std::int64_t monotonicMs = monotonicClockMs();
    std::int64_t last = second;
    std::vector<ServerFrames::Piece> pieces;
    for (int k = 1; k <= MaxFrames; ++k) {
        const std::int64_t s = second + k;
        const LocalDateTime time = localDateTimeAt(s, m_services.clock.localOffset);
        // A new offset from UTC sets the zone-bound clocks anew: its tick runs as usual.
        if (time.utcOffset != m_localOffsetSeen)
            break;
        const QRegion changed = record(time) | std::exchange(m_unshown, QRegion());
        pieces.clear();
        for (const QRect &r : changed)
            pieces.push_back({r.x(), r.y(), r.width(), r.height()});
        if (!m_frames.fits(pieces)) {
            m_unshown = changed; // recorded, not shown: the next paint shows it
            break;
        }
        drawInto(*pixels, changed);
        if (!pieces.empty() && !m_frames.add(monotonicMs + s * 1000 + TickLateMs - wallMs, *pixels, pieces)) {
            m_unshown = changed;
            break;
        }
        last = s;
        if (!changed.isEmpty()) {
            m_shownArea = changed;
            ++m_shows;
        }
        if (m_context.trace)
            std::fprintf(stderr, "tivora: frame %lld %lld\n",
                         static_cast<long long>(s * 1000 + TickLateMs), pixelsIn(changed));
    }
    if (last == second)
        return;
    m_frames.send();
    m_framesUntil = m_paintedSecond = last;
    // Woken when the last frame shows, to draw the next ones.
    Timer1->start(int(std::max<std::int64_t>(0, last * 1000 + TickLateMs - m_services.clock.clockMs())));
}

bool TForm1::settleFrames()
{
    if (!m_frames.pending() && m_framesUntil == std::numeric_limits<std::int64_t>::min())
        return false;
    m_frames.cancel();
    if (m_context.trace)
        std::fprintf(stderr, "tivora: frames-ended %lld\n",
                     static_cast<long long>(m_services.clock.clockMs()));
    m_framesUntil = std::numeric_limits<std::int64_t>::min();
    m_unshown = QRegion();
    // The recording is made of now for a paint before the next tick, and the next
    // picture goes to the window whole.
    m_repaintAll = true;
    record(shownTime());
    m_repaintAll = true;
    m_paintedSecond = std::numeric_limits<std::int64_t>::min();
    if (Timer1->isActive())
        Timer1->start(planTick(m_services.clock.clockMs(), m_paintedSecond).delayMs);
    return true;
}

void TForm1::refreshZoneClocks()
{
    const TimeZoneSource zones = systemTimeZones();
    if (refreshZoneOffsets(m_model.clocks, zones.standardOffset, zones.localStandardOffset()))
        m_repaintAll = true;
}

void TForm1::SetFormSize()
{
    settleFrames();
    const GridSize grid = m_model.formSize();
    // A resize asks for the position the toolkit has in mind as well: it must be where
    // the window really is, or the widget would jump there.
    if (isVisible()) {
        const QPoint real = designedPosition(screenPosition());
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

void TForm1::Timer1Timer()
{
    if (m_released)
        return;
    const TickPlan plan = planTick(m_services.clock.clockMs(), m_paintedSecond);
    Timer1->start(plan.delayMs);
    // The last frame handed to the window system shows now: the next ones are drawn
    // from the picture it shows. Otherwise a tick paints, as it always did.
    const bool framesRunOut = m_framesUntil == plan.second;
    if (m_framesUntil == plan.second + 1) {
        // Woken a moment before the last frame's second by the wall clock, which a time
        // service may slow against the timer's clock: on to that second. (A clock set
        // back further ends the frames: the tick below paints.)
        Timer1->start(int(m_framesUntil * 1000 + TickLateMs - m_services.clock.clockMs()));
        return;
    }
    if (!plan.paint && !framesRunOut)
        return;
    if (framesRunOut) {
        m_framesUntil = std::numeric_limits<std::int64_t>::min();
    } else {
        m_paintedSecond = plan.second;
        guarded([this] { PaintClocks(); });
        // The window went up with its first picture; one covered at its map gets no paint
        // and would keep the picture as background until uncovered.
        m_mapBackground.release();
        if (m_context.trace)
            std::fprintf(stderr, "tivora: tick %lld %lld\n",
                         static_cast<long long>(m_services.clock.clockMs()), pixelsIn(m_shownArea));
    }
    guarded([&] { scheduleFrames(plan.second); });
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
        // It is also the window's background until the first paint: the window system
        // paints a background itself the instant it maps a window, so the window never
        // shows up empty.
        if (!m_context.snapshot && m_mapBackground.set(winId(), first) && m_context.trace)
            std::fprintf(stderr, "tivora: map-background %lld\n",
                         static_cast<long long>(m_services.clock.clockMs()));
        m_canvas.resize(0, 0); // from here on the window's buffer holds the picture
    });
}

void TForm1::FormClose()
{
    SaveOptions();
    // Nothing paints after this: the picture and the skin image are released.
    settleFrames();
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
    if (std::exchange(m_repaintOnShow, false))
        update();
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

void TForm1::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // The buffer holds seconds not shown yet; the window is painted whole when shown.
    if (settleFrames())
        m_repaintOnShow = true;
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
        // Frames handed to the window system have drawn the recording ahead of now.
        if (settleFrames())
            update();
        else if (m_picture.ops().empty())
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
        m_mapBackground.release();
    });
}

} // namespace tivora
