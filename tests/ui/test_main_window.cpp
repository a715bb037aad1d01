#include "ui/app/app_window.h"
#include "ui/app/main_window.h"
#include "ui/app/tray_input.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDeadlineTimer>
#include <QDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>

using namespace tivora;
namespace fs = std::filesystem;

namespace {

class MainWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        dir = fs::path(tmp.path().toStdString());
        services.trayAvailable = [this] { return trayAvailable; };
        services.warning = [this](const QString &title, const QString &text) {
            warnings.push_back((title + "|" + text).toStdString());
        };
        services.clock.clockMs = [this] {
            return utcSecondsOf({2026, 12, 7, 10, 10, second, utcOffset}) * 1000;
        };
        services.clock.localOffset = [this](std::int64_t) { return utcOffset; };
        services.screens = [] {
            return std::vector<ScreenArea> {{{0, 0, 1280, 1024}, {0, 0, 1280, 1000}}};
        };
    }
    void TearDown() override
    {
        form.reset();
        app.reset();
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
    }

    void writeSettings(const std::string &text)
    {
        std::ofstream(dir / "tivora.ini", std::ios::binary) << text;
    }
    std::string settingsText() const
    {
        std::ifstream in(dir / "tivora.ini", std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    TForm1 &create(QStringList args = {})
    {
        app = std::make_unique<AppWindow>();
        StartupContext ctx {dir / "tivora", dir, args, false};
        form = std::make_unique<TForm1>(ctx, app.get(), services);
        return *form;
    }
    void sendMouse(QEvent::Type type, QPoint local, Qt::MouseButton button,
                   Qt::MouseButtons buttons)
    {
        QMouseEvent e(type, QPointF(local), QPointF(form->mapToGlobal(local)), button, buttons,
                      Qt::NoModifier);
        QApplication::sendEvent(form.get(), &e);
    }
    void sendMouseAtGlobal(QEvent::Type type, QPoint global, Qt::MouseButton button,
                           Qt::MouseButtons buttons)
    {
        QMouseEvent e(type, QPointF(form->mapFromGlobal(global)), QPointF(global), button, buttons,
                      Qt::NoModifier);
        QApplication::sendEvent(form.get(), &e);
    }

    QTemporaryDir tmp;
    fs::path dir;
    DesktopServices services;
    bool trayAvailable = true;
    int second = 45;
    int utcOffset = 0;
    std::vector<std::string> warnings;
    std::unique_ptr<AppWindow> app;
    std::unique_ptr<TForm1> form;
};

} // namespace

TEST_F(MainWindow, CreationLoadsSettingsSkinAndStartsTheTimer)
{
    writeSettings("[Main]\nWidth=2\npLeft=50\npTop=60\nStayOnTop=0\nShowSystemTime=0\n"
                  "[Tivora]\nClock_01_h=3\nClock_01_Desc=East\nClock_02_h=-5\n");
    TForm1 &f = create();
    EXPECT_EQ(f.pos(), QPoint(50, 60));
    EXPECT_FALSE(f.stayOnTop());
    EXPECT_TRUE(f.Timer1->isActive());
    EXPECT_LE(f.Timer1->interval(), 1001) << "armed for the next whole second";
    EXPECT_EQ(f.model().options.Skin, "Default");
    EXPECT_EQ(f.model().options.cWindth, 139);
    EXPECT_FALSE(f.model().options.ShowSystemTime) << "user clocks exist, the setting stays off";
    ASSERT_EQ(f.model().clocks.size(), 3u);
    EXPECT_EQ(f.model().clocks[0].hour, -5);
    EXPECT_TRUE(f.model().clocks[1].isSystemTime());
    EXPECT_FALSE(f.opacitySwitch());
    EXPECT_TRUE(f.windowFlags().testFlag(Qt::Tool));
    EXPECT_TRUE(f.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_FALSE(fs::exists(dir / "tivora.manifest"));

    // Shown: sized to the grid of two columns and one row (system time hidden).
    f.show();
    EXPECT_EQ(f.size(), QSize(2 * 139, 220));
    EXPECT_EQ(f.picture().size(), QSize(2 * 139, 220));
    EXPECT_TRUE(app->isHidden());
}

TEST_F(MainWindow, ZoneClocksFollowTheLocalZoneAtLoadAndWhenItChanges)
{
    const QByteArray savedTz = qgetenv("TZ");
    qputenv("TZ", "Asia/Kolkata");
    // Picked while the local zone was Moscow (UTC+3).
    writeSettings("[Tivora]\nClock_01_h=-3\nClock_01_Zone=Africa/Abidjan\n");
    TForm1 &f = create();
    const TClock underKolkata = f.model().clocks[0];
    qputenv("TZ", "Europe/Moscow");
    utcOffset = 3 * 3600;
    f.PaintClocks();
    const TClock underMoscow = f.model().clocks[0];
    savedTz.isNull() ? qunsetenv("TZ") : qputenv("TZ", savedTz);
    EXPECT_EQ(underKolkata, (TClock {-6, 30, "", "Africa/Abidjan"}));
    EXPECT_EQ(underMoscow, (TClock {-3, 0, "", "Africa/Abidjan"}));
}

TEST_F(MainWindow, OpacityFollowsTheCursorAndIsSetOnlyOnChange)
{
    writeSettings("[Main]\nActiveTr=255\nPassiveTr=100\npLeft=100\npTop=100\n");
    TForm1 &f = create();
    ASSERT_TRUE(f.opacitySwitch());
    EXPECT_EQ(f.opacityValue(), 200) << "the layout's value until the first repaint";
    f.show();
    const QRect g = f.frameGeometry();
    QCursor::setPos(g.left() + g.width(), g.top() + 5); // the column just past the right edge
    f.PaintClocks();
    EXPECT_EQ(f.opacityValue(), 255);
    QCursor::setPos(g.left() + g.width() + 1, g.top() + 5);
    f.PaintClocks();
    EXPECT_EQ(f.opacityValue(), 100);
    EXPECT_NEAR(f.windowOpacity(), 100 / 255.0, 0.01);
}

TEST_F(MainWindow, SaveFailureWarnsOncePerSaveAndCloseStillEnds)
{
    TForm1 &f = create();
    f.show();
    writeSettings("[Main]\nWidth=4\n");
    fs::permissions(dir / "tivora.ini", fs::perms::owner_read);
    f.SaveOptions();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "Warning|Не удалось сохранить настройки");
    f.model().LangMessages.setText(1, "Could not save");
    f.close();
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[1], "Warning|Could not save");
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(settingsText(), "[Main]\nWidth=4\n");
}

TEST_F(MainWindow, TerminationWarnsOnTheErrorOutputAndEnds)
{
    TForm1 &f = create();
    f.show();
    QDialog box; // a box already open, waiting for a click
    box.setModal(true);
    box.show();
    writeSettings("[Main]\n");
    fs::permissions(dir / "tivora.ini", fs::perms::owner_read);
    ::testing::internal::CaptureStderr();
    f.closeForTermination();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(warnings.empty()) << "no box";
    EXPECT_NE(err.find("Warning: Не удалось сохранить настройки"), std::string::npos) << err;
    EXPECT_FALSE(box.isVisible());
    EXPECT_FALSE(f.isVisible());
}

TEST_F(MainWindow, CloseSavesPositionAndNothingPaintsAfterwards)
{
    TForm1 &f = create();
    f.show();
    f.move(321, 123);
    f.N4->trigger();
    const std::string text = settingsText();
    EXPECT_NE(text.find("pTop=123\npLeft=321"), std::string::npos) << text;
    EXPECT_NE(text.find("StayOnTop=1"), std::string::npos);
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(f.Timer1->isActive());
    f.PaintClocks(); // must not touch the released picture
    EXPECT_TRUE(f.picture().isNull());
}

TEST_F(MainWindow, CloseRequestToTheApplicationWindowClosesTheMainWindow)
{
    TForm1 &f = create();
    f.show();
    app->close();
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(fs::exists(dir / "tivora.ini"));
}

TEST_F(MainWindow, PopupMenuItemsInOrder)
{
    TForm1 &f = create();
    const QList<QAction *> items = f.PopupMenu1->actions();
    ASSERT_EQ(items.size(), 5);
    const char *names[] = {"N11", "N1", "N2", "N3", "N4"};
    const QString captions[] = {"Показать", "Настройки", "О программе", "", "Выход"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(items[i]->objectName(), names[i]);
        EXPECT_EQ(items[i]->text(), captions[i]);
    }
    EXPECT_TRUE(items[3]->isSeparator());
    EXPECT_EQ(f.tr1->contextMenu(), f.PopupMenu1);
    EXPECT_TRUE(f.tr1->toolTip().isEmpty());
    EXPECT_FALSE(f.tr1->icon().isNull());
}

TEST_F(MainWindow, EscapeAndDoubleClickMinimizeToTheTrayAndClicksBringItBack)
{
    TForm1 &f = create();
    f.show();
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QString(QChar(27)));
    QApplication::sendEvent(&f, &esc);
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(app->isMinimized());

    f.tr1Click(Qt::RightButton);
    EXPECT_FALSE(f.isVisible());
    f.tr1Click(Qt::LeftButton);
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(app->isMinimized());
    EXPECT_TRUE(app->isHidden());

    // Only the left button's double-click hides the window.
    for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton, Qt::LeftButton}) {
        sendMouse(QEvent::MouseButtonDblClick, {5, 5}, button, button);
        sendMouse(QEvent::MouseButtonRelease, {5, 5}, button, Qt::NoButton);
        f.PopupMenu1->close(); // a right click's menu
        EXPECT_EQ(f.isVisible(), button != Qt::LeftButton) << button;
    }

    // A double-click on the tray icon: its first click shows, the double-click hides.
    for (bool shownBefore : {false, true}) {
        if (shownBefore)
            f.tr1Click(Qt::LeftButton);
        f.tr1Click(Qt::LeftButton);
        f.tr1DblClick();
        EXPECT_FALSE(f.isVisible()) << shownBefore;
        EXPECT_TRUE(app->isMinimized());
    }
    // Minimizing an application that is minimized already does nothing.
    f.show();
    f.tr1DblClick();
    EXPECT_TRUE(f.isVisible());
}

TEST_F(MainWindow, PopupMenuOpensOnTheRightButtonsRelease)
{
    TForm1 &f = create();
    f.show();
    // On X11 the toolkit asks for the menu right after the press.
    sendMouse(QEvent::MouseButtonPress, {10, 10}, Qt::RightButton, Qt::RightButton);
    QContextMenuEvent menuAsked(QContextMenuEvent::Mouse, {10, 10}, f.mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(&f, &menuAsked);
    EXPECT_FALSE(f.PopupMenu1->isVisible());
    sendMouse(QEvent::MouseButtonRelease, {10, 10}, Qt::RightButton, Qt::NoButton);
    EXPECT_TRUE(f.PopupMenu1->isVisible());
    f.PopupMenu1->close();

    // A press released off the window opens nothing.
    sendMouse(QEvent::MouseButtonPress, {10, 10}, Qt::RightButton, Qt::RightButton);
    sendMouse(QEvent::MouseButtonRelease, {-30, 10}, Qt::RightButton, Qt::NoButton);
    EXPECT_FALSE(f.PopupMenu1->isVisible());
}

TEST_F(MainWindow, WithoutANotificationAreaTheWindowStaysShown)
{
    trayAvailable = false;
    TForm1 &f = create();
    f.show();
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QString(QChar(27)));
    QApplication::sendEvent(&f, &esc);
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(app->isMinimized());
}

TEST_F(MainWindow, DraggingWithTheLeftButtonSnapsToTheWorkArea)
{
    writeSettings("[Main]\npLeft=300\npTop=300\n");
    TForm1 &f = create();
    f.show();
    const QSize size = f.size();

    // Right button: no drag.
    sendMouse(QEvent::MouseButtonPress, {10, 10}, Qt::RightButton, Qt::RightButton);
    sendMouseAtGlobal(QEvent::MouseMove, {600, 600}, Qt::NoButton, Qt::RightButton);
    EXPECT_FALSE(f.isDragging());
    EXPECT_EQ(f.pos(), QPoint(300, 300));
    sendMouse(QEvent::MouseButtonRelease, {10, 10}, Qt::RightButton, Qt::NoButton);

    sendMouse(QEvent::MouseButtonPress, {10, 20}, Qt::LeftButton, Qt::LeftButton);
    ASSERT_TRUE(f.isDragging());
    sendMouseAtGlobal(QEvent::MouseMove, {400, 410}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(f.pos(), QPoint(390, 390)) << "the grabbed point follows the cursor";
    sendMouseAtGlobal(QEvent::MouseMove, {18, 29}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(f.pos(), QPoint(0, 9)) << "8 pixels from the left snaps, 9 from the top does not";
    sendMouseAtGlobal(QEvent::MouseMove,
                      {1280 - size.width() + 10 + 8, 1000 - size.height() + 20 - 8}, Qt::NoButton,
                      Qt::LeftButton);
    EXPECT_EQ(f.pos(), QPoint(1280 - size.width(), 1000 - size.height()));

    // Releasing any button ends the drag.
    sendMouse(QEvent::MouseButtonRelease, {10, 20}, Qt::MiddleButton, Qt::LeftButton);
    EXPECT_FALSE(f.isDragging());
    sendMouseAtGlobal(QEvent::MouseMove, {500, 500}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(f.pos(), QPoint(1280 - size.width(), 1000 - size.height()));
}

TEST_F(MainWindow, TheWheelScrubsTheClocksAndClickEscAndTimeoutBringNowBack)
{
    writeSettings("[Main]\npLeft=300\npTop=300\n");
    TForm1 &f = create();
    f.show();
    const QImage live = f.picture().copy();
    const QPoint frame(1, 1); // the marker's frame runs just inside the cell
    const auto wheel = [&](int delta, Qt::KeyboardModifiers mods) {
        QWheelEvent e(QPointF(5, 5), QPointF(f.mapToGlobal(QPoint(5, 5))), QPoint(),
                      QPoint(0, delta), Qt::NoButton, mods, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&f, &e);
    };
    const auto press = [&](int key) {
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&f, &e);
    };
    // Now is 10:10:45 at UTC.
    const auto shows = [&](int day, int hour, int minute) {
        return f.shownTime() == LocalDateTime {2026, 12, day, hour, minute, 0};
    };
    wheel(120, Qt::NoModifier);
    EXPECT_TRUE(shows(7, 10, 25));
    wheel(-120, Qt::ShiftModifier);
    EXPECT_TRUE(shows(7, 9, 25));
    wheel(120, Qt::ControlModifier);
    press(Qt::Key_Minus);
    press(Qt::Key_PageUp);
    EXPECT_TRUE(shows(8, 10, 10));
    EXPECT_TRUE(f.scrubbed());
    EXPECT_NE(f.picture(), live);
    EXPECT_NE(f.picture().pixel(frame), live.pixel(frame)) << "marked";

    // Esc brings now back and leaves the widget shown; so does a click, not a drag.
    press(Qt::Key_Escape);
    EXPECT_FALSE(f.scrubbed());
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.picture(), live);
    wheel(120, Qt::NoModifier);
    sendMouse(QEvent::MouseButtonPress, {10, 20}, Qt::LeftButton, Qt::LeftButton);
    sendMouseAtGlobal(QEvent::MouseMove, {400, 410}, Qt::NoButton, Qt::LeftButton);
    sendMouse(QEvent::MouseButtonRelease, {10, 20}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(f.pos(), QPoint(390, 390)) << "the drag moved the window";
    EXPECT_TRUE(f.scrubbed()) << "a drag is no click";
    sendMouse(QEvent::MouseButtonPress, {10, 20}, Qt::LeftButton, Qt::LeftButton);
    sendMouse(QEvent::MouseButtonRelease, {10, 20}, Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(f.scrubbed());
    EXPECT_EQ(f.picture(), live);

    // Without a further step the clocks go back to now on their own.
    EXPECT_EQ(f.ScrubTimer->interval(), 10000);
    f.ScrubTimer->setInterval(1);
    press(Qt::Key_Plus);
    EXPECT_TRUE(f.scrubbed());
    for (QDeadlineTimer d(10000); f.scrubbed() && !d.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_FALSE(f.scrubbed());
    EXPECT_EQ(f.picture(), live);
}

TEST_F(MainWindow, SeeThroughWhiteMasksExactlyTheWhitePixels)
{
    writeSettings("[Main]\nShowWhiteBG=1\n");
    TForm1 &f = create();
    f.show();
    const auto shown = [&] {
        int bits = 0;
        for (int y = 0; y < f.height(); ++y)
            for (int x = 0; x < f.width(); ++x)
                bits += f.shapeMask().pixelIndex(x, y);
        return bits;
    };
    // Shaped before it is first shown.
    ASSERT_EQ(f.shapeMask().size(), f.size());
    EXPECT_EQ(f.picture().pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(f.shapeMask().pixelIndex(0, 0), 0) << "white corner is see-through";
    EXPECT_EQ(f.shapeMask().pixelIndex(68, 68), 1) << "the hands' pivot is drawn";

    // The shape is set again only when the white pattern changes.
    for (QDeadlineTimer d(10000); !f.windowHandle()->isExposed() && !d.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    const int built = f.maskUpdates();
    f.PaintClocks();
    EXPECT_EQ(f.maskUpdates(), built) << "same second, same picture";
    second = 46;
    f.PaintClocks();
    EXPECT_EQ(f.maskUpdates(), built + 1);

    // A picture with nothing but white vanishes whole.
    TOptions &o = f.model().options;
    o.ShowArray = o.ShowDigits = o.ShowDate = o.ShowDesc = false;
    f.PaintClocks();
    EXPECT_EQ(shown(), 0);

    o.ShowWhiteBG = false;
    f.SetFormSize();
    f.PaintClocks();
    EXPECT_TRUE(f.shapeMask().isNull());
}

TEST(TrayInput, ClicksOnReleaseWithThePressOnTheIcon)
{
    // The icon's own window: it must see none of the presses (it would act on them).
    struct Icon : QWidget
    {
        int presses = 0;
        void mousePressEvent(QMouseEvent *) override { ++presses; }
    } icon;
    icon.resize(24, 24);
    TrayInput input([&](const QObject *o) { return o == &icon; });
    icon.installEventFilter(&input);
    std::string reported;
    QObject::connect(&input, &TrayInput::clicked, [&] { reported += "click "; });
    QObject::connect(&input, &TrayInput::doubleClicked, [&] { reported += "double "; });
    QObject::connect(&input, &TrayInput::menuRequested,
                     [&](QPoint at) { reported += "menu@" + std::to_string(at.x()) + " "; });

    const QPoint in(5, 5), out(40, 5);
    const struct
    {
        const char *steps; // p/r/d: press, release, double-click; L/R: button; i/o: where
        const char *want;
    } cases[] = {
        {"pLi rLi", "click "},  {"pLi rLo", ""}, {"pLi rLi dLi rLi", "click double "},
        {"pRi rRi", "menu@5 "}, {"pRi rRo", ""}, {"pLi rRi rLi", "click "},
    };
    for (const auto &c : cases) {
        reported.clear();
        std::istringstream steps(c.steps);
        for (std::string step; steps >> step;) {
            const QEvent::Type type = step[0] == 'p' ? QEvent::MouseButtonPress
                : step[0] == 'r'                     ? QEvent::MouseButtonRelease
                                                     : QEvent::MouseButtonDblClick;
            const Qt::MouseButton button = step[1] == 'L' ? Qt::LeftButton : Qt::RightButton;
            const QPoint at = step[2] == 'i' ? in : out;
            QMouseEvent e(type, QPointF(at), QPointF(at), button,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : button,
                          Qt::NoModifier);
            QApplication::sendEvent(&icon, &e);
        }
        EXPECT_EQ(reported, c.want) << c.steps;
    }
    EXPECT_EQ(icon.presses, 0);
}

TEST_F(MainWindow, OnTopChangesKeepTheNativeWindow)
{
    writeSettings("[Main]\nStayOnTop=1\n");
    TForm1 &f = create();
    f.show();
    const WId window = f.winId();
    for (const bool onTop : {false, true, false}) {
        f.setStayOnTop(onTop);
        EXPECT_EQ(f.stayOnTop(), onTop);
        EXPECT_EQ(f.winId(), window) << "on top " << onTop;
        EXPECT_TRUE(f.isVisible());
    }
}

TEST_F(MainWindow, ExitClosesAnOpenDialogFirstAndSaves)
{
    writeSettings("[Main]\npLeft=70\npTop=80\n");
    for (QAction *TForm1::*item : {&TForm1::N1, &TForm1::N2}) {
        TForm1 &f = create();
        f.show();
        bool closedUnder = false;
        QTimer::singleShot(0, [&] {
            QPointer<QWidget> dialog = QApplication::activeModalWidget();
            ASSERT_FALSE(dialog.isNull());
            f.N4->trigger();
            closedUnder = dialog.isNull() || !dialog->isVisible();
        });
        (f.*item)->trigger();
        EXPECT_TRUE(closedUnder);
        EXPECT_FALSE(f.isVisible());
        EXPECT_NE(settingsText().find("pLeft=70"), std::string::npos);
    }
}
