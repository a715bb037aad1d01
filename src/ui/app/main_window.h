#pragma once

#include "ui/app/desktop_services.h"
#include "core/time/scrub.h"
#include "core/model/widget_model.h"
#include "platform/server_frames.h"
#include "platform/wall_clock.h"
#include "platform/window_background.h"
#include "platform/window_shape.h"
#include "core/render/display_list.h"
#include "ui/render/qt_canvas.h"
#include "ui/time/qt_time_zones.h"
#include "core/options/options_host.h"

#include <QImage>
#include <QWidget>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <limits>

class QAction;
class QDialog;
class QMenu;
class QRegion;
class QSystemTrayIcon;
class QTimer;

namespace tivora {

class AppWindow;

// The clock widget: a frameless tool window showing the clock grid, with the tray
// icon and its popup menu. It owns the widget model (options, clock list, messages),
// the skin image and the off-screen picture for its whole life, and carries out what
// the model's rules decide.
class TForm1 : public QWidget, public OptionsHost, private WidgetView
{
    Q_OBJECT
public:
    static constexpr int DesignLeft = 373;
    static constexpr int DesignTop = 263;

    TForm1(StartupContext context, AppWindow *appWindow, DesktopServices services = {});
    ~TForm1() override;

    QSystemTrayIcon *tr1 = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QAction *N11 = nullptr;
    QAction *N1 = nullptr;
    QAction *N2 = nullptr;
    QAction *N3 = nullptr;
    QAction *N4 = nullptr;
    QTimer *Timer1 = nullptr;
    // Brings scrubbed clocks back to now when it runs out without a further step.
    QTimer *ScrubTimer = nullptr;
    static constexpr int ScrubTimeoutMs = 10000;

    TOptions &skinOptions() override { return m_model.options; }
    WidgetModel &model() { return m_model; }
    const QtBitmap &skin() const { return m_skin; }
    const std::filesystem::path &dataDir() const { return m_model.dataDir(); }
    int dpi() const { return m_dpi; }

    void LoadSkin() override;
    void SaveSkin() override;
    void SaveOptions() override;
    void PaintClocks() override;
    void SetFormSize() override;
    void warnSaveFailed() override { m_model.warnSaveFailed(*this); }
    void setStayOnTop(bool onTop) override;
    bool stayOnTop() const override;
    void setOptionsItemEnabled(bool enabled) override;
    void holdClock() override;
    void resumeClock() override;

    // Window opacity: the switch (on unless both settings are opaque) and its value.
    void setOpacitySwitch(bool on) override;
    bool opacitySwitch() const { return m_model.opacitySwitch(); }
    int opacityValue() const { return m_model.opacityValue(); }

    // Closes the window for a termination signal: no one may be there to answer a
    // message box, so open ones are closed and a failed save is reported on the error
    // output instead of in a box.
    void closeForTermination();
    // Saves when the display is gone and the toolkit ends the program: without a box,
    // from where the window was last seen. Nothing runs after it.
    void saveOnLostDisplay();

    // The application's minimize operation, and its hook that hides the windows.
    void minimizeApplication();
    void Minimize();
    void restore();
    bool isDragging() const { return m_dragging; }

    // The picture of the last repaint, drawn whole into an image of its own at the
    // window's scale (a snapshot's: the one it was asked for).
    const QImage &picture();
    double pictureScale() const;
    // The see-through shape: a bit for each pixel of the window, set where it is shown.
    const QImage &shapeMask() const { return m_shape; }
    // How often the see-through shape has been set.
    int maskUpdates() const { return m_maskUpdates; }
    // How often a change of the picture has been shown, and the area the last repaint of
    // the clocks showed anew (empty when nothing had changed).
    int shows() const { return m_shows; }
    const QRegion &lastShownArea() const { return m_shownArea; }
    // Paints the grid once at the given local time (with its UTC offset, which places
    // the clocks bound to a zone) into the picture.
    const QImage &paintAt(const LocalDateTime &time);

    // Moving the clocks away from now (the wheel and keys) and back.
    bool scrubbed() const { return m_scrub.active(); }
    void scrubBy(ScrubStep kind, int steps);
    void scrubToNow();
    // The local date and time the clocks show: now, or the scrubbed moment; the second
    // form for a now already read.
    LocalDateTime shownTime() const;
    LocalDateTime shownTime(const LocalDateTime &now) const;

public slots:
    void Timer1Timer();
    void tr1Click(Qt::MouseButton button);
    void tr1DblClick();
    void N1Click();
    void N2Click();
    void N4Click();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    void createMenu();
    void watchScreens();
    // Ends the frames handed to the window system when the clock is set or the zone
    // changes, and when part of the window is uncovered.
    void watchTimeJumps();
    // Moves the widget onto the nearest screen when too little of it shows on any.
    void keepOnScreen();
    void takeFocusBack();
    void closeOpenWindows();
    void showDialog(QDialog *dialog);
    // Where the window's top-left is, in screen pixels, and a screen pixel in the
    // designed pixels the toolkit places windows by.
    QPoint screenPosition() const;
    QPoint designedPosition(QPoint screenPixel) const;
    QRegion record(const LocalDateTime &time);
    // Draws the area of the recorded picture into the window's buffer and sends it to the
    // window; false (nothing shown) where that cannot be done and a repaint must.
    bool paintStraight(const QRegion &area);
    // The window's buffer where the picture can be drawn into it directly, else null.
    QImage *windowBuffer();
    // Draws the area of the recorded picture into the window's buffer.
    void drawInto(QImage &pixels, const QRegion &area);
    // After the tick that showed `second`: draws the pictures of the seconds after it and
    // hands them to the window system, which shows each on time while the program
    // sleeps until the last one. Nothing where the window system cannot, or where a
    // second must be looked at when it comes (scrubbed clocks, opacity under the mouse,
    // see-through white, a scaled window).
    void scheduleFrames(std::int64_t second);
    // Drops the frames not shown yet: the window shows some second up to now, the
    // buffer and the recording a later one, so the next paint is a whole one, of now.
    // True when there were any.
    bool settleFrames();
    // After a step of the scrubbed clocks: paints them and waits anew before going back.
    void showScrubStep();
    // Sets the offsets of the clocks bound to a zone from the local zone of now.
    void refreshZoneClocks();
    void updateOpacity();
    // Brings the see-through shape up to date where the picture was painted, reading the
    // pixels from the given picture or else the window's buffer.
    void updateShape(const QRegion &painted, const QImage *from = nullptr);

    // What the model's load and save sequences act on.
    WindowPlacement placement() const override;
    void applyPlacement(const WindowPlacement &placement) override;
    void loadSkin() override { LoadSkin(); }
    void useBuiltInSkin(const std::string &reason) override;
    void saveSkin() override { SaveSkin(); }
    void startTicking() override;
    void warn(const std::string &title, const std::string &text) override;

    StartupContext m_context;
    AppWindow *m_app;
    DesktopServices m_services;
    WidgetModel m_model;
    QtBitmap m_skin;
    int m_dpi = 96;
    QtTimeZones m_zones; // the zones of clocks picked from the city list
    // The window's picture is a recording of its drawing calls: each tick records the
    // picture anew and repaints only where the calls changed, into the window's own
    // buffer; the canvas draws there and measures the texts.
    QtCanvas m_canvas;
    int m_shows = 0;
    QRegion m_shownArea;
    DisplayList m_picture {m_canvas};
    QSize m_pictureSize;
    bool m_repaintAll = true; // size, skin or see-through changed since the last repaint
    TOptions m_paintedOptions;
    std::int64_t m_paintedSecond = std::numeric_limits<std::int64_t>::min();
    int m_localOffsetSeen = std::numeric_limits<int>::min(); // UTC offset of the last tick
    bool m_painted = false; // the window has had its first paint
    QImage m_shape; // shown pixels of the window, one bit each; null when not see-through
    bool m_shapeKnown = false; // m_shape holds the whole picture's shape
    std::uintptr_t m_shapedWindow = 0;
    WindowShape m_windowShape;
    WindowBackground m_mapBackground; // the first picture, shown by the map itself
    ServerFrames m_frames;
    // The last second handed to the window system; the minimum while none waits.
    std::int64_t m_framesUntil = std::numeric_limits<std::int64_t>::min();
    QRegion m_unshown; // recorded, but not shown yet
    bool m_repaintOnShow = false; // frames ended at a hide left the buffer ahead
    // A wall clock set or a zone changed ends the frames: they were drawn for the old time.
    ClockSetWatch m_clockSet;
    ZoneFileWatch m_zoneWatch {"/etc/localtime"};
    int m_maskUpdates = 0;
    std::string m_timeSeparator = ":";
    bool m_dragging = false;
    // Where the settings placed the widget, in screen pixels and in designed ones.
    QPoint m_placedScreen;
    QPoint m_placedDesigned {INT_MIN, INT_MIN};
    QPoint m_pressPoint;
    QPoint m_pressGlobal; // where the left button went down, to tell a click from a drag
    Scrub m_scrub;
    bool m_rightPressed = false;
    bool m_activatedOnce = false;
    bool m_terminating = false;
    bool m_onTop = false; // kept above other windows
    bool m_released = false;
};

} // namespace tivora
