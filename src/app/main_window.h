#pragma once

#include "app/settings.h"
#include "i18n/lang_messages.h"
#include "render/clock_time.h"
#include "render/qt_canvas.h"

#include <QImage>
#include <QStringList>
#include <QWidget>
#include <filesystem>
#include <functional>

class QAction;
class QMenu;
class QSystemTrayIcon;
class QTimer;

namespace tivora {

class AppWindow;

// Where the program runs and what it was asked to do.
struct StartupContext
{
    std::filesystem::path executable;
    std::filesystem::path dataDir;
    QStringList arguments; // the command line without the program name
    bool snapshot = false; // paint once into a picture: no instance control, tray or timer
};

// Seams for the parts of the desktop that tests replace.
struct DesktopServices
{
    std::function<bool()> trayAvailable;
    std::function<void(const QString &title, const QString &text)> warning;
    std::function<LocalDateTime()> now;
    std::function<QRect()> workArea; // the primary screen without panels
};

// The clock widget: a frameless tool window showing the clock grid, with the tray
// icon and its popup menu. It owns the options, the clock list, the skin and the
// off-screen picture for its whole life.
class TForm1 : public QWidget
{
    Q_OBJECT
public:
    static constexpr int DesignLeft = 373;
    static constexpr int DesignTop = 263;
    // Largest window side; absurd settings (thousands of clocks, huge cells) are cut
    // to this instead of allocating gigabytes.
    static constexpr int MaxSide = 8192;

    TForm1(StartupContext context, AppWindow *appWindow, DesktopServices services = {});
    ~TForm1() override;

    TOptions options;
    TClockList clocks;
    MessageTable LangMessages;
    QtBitmap skinBitmap;

    QSystemTrayIcon *tr1 = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QAction *N11 = nullptr;
    QAction *N1 = nullptr;
    QAction *N2 = nullptr;
    QAction *N3 = nullptr;
    QAction *N4 = nullptr;
    QTimer *Timer1 = nullptr;

    std::filesystem::path settingsPath() const { return m_settingsPath; }
    const std::filesystem::path &dataDir() const { return m_context.dataDir; }
    int dpi() const { return m_dpi; }

    void LoadSkin();
    void SaveSkin();
    void SaveOptions();
    void PaintClocks();
    void SetFormSize();
    void setStayOnTop(bool onTop);
    bool stayOnTop() const;

    // Window opacity: the switch (on unless both settings are opaque) and its value.
    void setOpacitySwitch(bool on);
    bool opacitySwitch() const { return m_alphaBlend; }
    int opacityValue() const { return m_alphaValue; }

    // The application's minimize operation, and its hook that hides the windows.
    void minimizeApplication();
    void Minimize();
    void restore();
    bool isDragging() const { return m_dragging; }

    // The composed picture of the last repaint (the off-screen bitmap).
    const QImage &picture() { return m_offscreen.image(); }
    // Paints the grid once at the given local time into the off-screen picture.
    const QImage &paintAt(const LocalDateTime &time);

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
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    void createMenu();
    void compose(const LocalDateTime &time);
    void updateOpacity();
    void updateShapeMask();

    StartupContext m_context;
    AppWindow *m_app;
    DesktopServices m_services;
    std::filesystem::path m_settingsPath;
    int m_dpi = 96;
    QtCanvas m_offscreen;
    QImage m_lastWhiteMask;
    std::string m_timeSeparator = ":";
    bool m_alphaBlend = false;
    int m_alphaValue = 200;
    bool m_dragging = false;
    QPoint m_pressPoint;
    bool m_freshPicture = false;
    bool m_released = false;
};

// The locale's time separator (":" when the locale's time format shows none).
QString localeTimeSeparator();

} // namespace tivora
