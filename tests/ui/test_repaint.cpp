// The widget repaints only what changed, with the pixels of a whole repaint, and ticks on
// the wall clock's second.
#include "ui/app/main_window.h"
#include "core/time/ticks.h"
#include "core/render/clock_grid.h"

#include <QBackingStore>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace tivora;

namespace {

// Counts the widget's paint events.
struct PaintLog : QObject
{
    int paints = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        paints += e->type() == QEvent::Paint;
        return false;
    }
};

struct Widget
{
    QTemporaryDir dir;
    std::int64_t clockMs = utcSecondsOf({2026, 12, 31, 23, 58, 58}) * 1000; // local time is UTC
    PaintLog log;
    std::unique_ptr<TForm1> form;

    explicit Widget(const std::string &main)
    {
        const std::filesystem::path home(dir.path().toStdString());
        std::ofstream(home / "tivora.ini")
            << "[Main]\nWidth=2\n"
            << main << "[Tivora]\nClock_01_h=3\nClock_01_Desc=East\nClock_02_h=-5\nClock_02_m=30\n";
        DesktopServices s;
        s.trayAvailable = [] { return false; };
        s.warning = [](const QString &, const QString &) {};
        s.clock = {[this] { return clockMs; }, [](std::int64_t) { return 0; }};
        form =
            std::make_unique<TForm1>(StartupContext {home / "tivora", home, {}, false}, nullptr, s);
        form->installEventFilter(&log);
        form->show();
        const QDeadlineTimer deadline(10000);
        while (!(form->windowHandle() && form->windowHandle()->isExposed())
               && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }

    // What the window shows: its buffer, where the widget paints.
    QImage shown() const
    {
        QPaintDevice *d = form->backingStore()->paintDevice();
        return d->devType() == QInternal::Image
            ? static_cast<QImage *>(d)->convertToFormat(QImage::Format_RGB32)
            : QImage();
    }
};

} // namespace

TEST(Repaint, OnlyWhatChangedWithThePixelsOfAWholeRepaint)
{
    // Every second from before midnight on New Year's Eve to after it (minute, hour, day
    // and year change), then the clock set back.
    std::vector<LocalDateTime> times;
    for (int s = 0; s < 80; ++s)
        times.push_back(addMinutes({2026, 12, 31, 23, 58, 50 + s}, 0));
    times.push_back({2026, 12, 31, 23, 59, 1});
    for (const char *options : {"", "ShowWhiteBG=1\n", "ShowTextWhiteBG=1\n",
                                "ShowWhiteBG=1\nShowTextWhiteBG=1\nShowDelimiters=1\n"}) {
        SCOPED_TRACE(options);
        Widget w(options);
        TForm1 &f = *w.form;
        ASSERT_TRUE(f.windowHandle()->isExposed());
        // The whole picture composed anew on every repaint, on one canvas whose drawing
        // state carries over as the widget's does.
        QtCanvas whole(f.dpi());
        whole.resize(f.width(), f.height(), f.devicePixelRatioF());
        const auto composeWhole = [&] {
            composeGrid(whole, FaceContext {f.model().options, f.skin(), f.shownTime(), ":"},
                        f.model().clocks);
            return whole.image();
        };
        ASSERT_TRUE(w.shown() == composeWhole());
        for (const LocalDateTime &t : times) {
            w.clockMs = utcSecondsOf(t) * 1000;
            const int paints = w.log.paints;
            const int shows = f.shows();
            f.PaintClocks();
            ASSERT_EQ(f.shows(), shows + 1);
            // At scale 1 a tick draws straight into the window's buffer, without a paint.
            EXPECT_EQ(w.log.paints, paints + (f.pictureScale() == 1 ? 0 : 1));
            const QImage expected = composeWhole();
            EXPECT_TRUE(w.shown() == expected) << t.hour << ":" << t.minute << ":" << t.second;
            if (t.second == 30) { // a plain second: a small part of the window
                int area = 0;
                for (const QRect &r : f.lastShownArea())
                    area += r.width() * r.height();
                EXPECT_LT(area, f.width() * f.height() / 4);
            }
            if (!f.model().options.ShowWhiteBG)
                continue;
            const QImage white = expected.createMaskFromColor(qRgb(255, 255, 255), Qt::MaskOutColor)
                                     .convertToFormat(QImage::Format_MonoLSB);
            int wrong = 0;
            for (int y = 0; y < expected.height(); ++y)
                for (int x = 0; x < expected.width(); ++x)
                    wrong += f.shapeMask().pixelIndex(x, y) != white.pixelIndex(x, y);
            EXPECT_EQ(wrong, 0) << "shape pixels at " << t.minute << ":" << t.second;
        }
    }
}

TEST(Repaint, TicksKeepToTheWallClockSecond)
{
    Widget w("");
    TForm1 &f = *w.form;
    EXPECT_TRUE(f.Timer1->isSingleShot());
    EXPECT_EQ(f.Timer1->timerType(), Qt::PreciseTimer);

    struct Step
    {
        std::int64_t clockMs;
        bool paints;
        int interval;
    } steps[] = {
        {1'000'000'400, true, 601},
        {1'000'000'700, false, 301}, // same second of the wall clock: nothing twice
        {1'000'001'002, true, 999},
        {1'000'005'500, true, 501}, // late: the current second, not the ones missed
    };
    for (const Step &s : steps) {
        w.clockMs = s.clockMs;
        const int shows = f.shows();
        f.Timer1Timer();
        EXPECT_EQ(f.shows(), shows + (s.paints ? 1 : 0)) << s.clockMs;
        EXPECT_TRUE(f.Timer1->isActive());
        EXPECT_EQ(f.Timer1->interval(), s.interval);
    }
    // Stopped and started again without an interval (as the options dialog does), it
    // fires within the second and finds its second again.
    f.Timer1->stop();
    f.Timer1->start();
    EXPECT_TRUE(f.Timer1->isActive());
    EXPECT_LE(f.Timer1->interval(), 1000 + TickLateMs);
}
