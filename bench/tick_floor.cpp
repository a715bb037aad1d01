// The floor under a tick: a bare Qt 6 window 1500x170 that wakes once a second and shows
// a 10x10 change in one of several ways, for bench/tick_floor.sh to read its CPU time.
//
//   bench_tick_floor MODE
//
//   timer    the timer alone, nothing shown
//   repaint  QWidget::repaint of the square, painted in paintEvent
//   flush    the square written into the backing store's image and flushed through it
//   xcb      the square sent to the window with one PutImage of its own
//   copies   100 10x10 squares copied to the window from a pixmap on the X server: what
//            a tick costs the program when the X server does the drawing (some ten
//            small requests a face at 10 faces)
#include <QApplication>
#include <QBackingStore>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <xcb/xcb.h>

#include <array>
#include <cstdio>
#include <cstring>

namespace {

constexpr int Side = 10;

struct Window : QWidget
{
    int n = 0;
    QRgb colour() const { return qRgb(n * 7 % 256, 0, 0); }
    QRect square() const { return QRect(n % 100, 0, Side, Side); }
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(square(), colour()); }
};

} // namespace

int main(int argc, char **argv)
{
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (mode != "timer" && mode != "repaint" && mode != "flush" && mode != "xcb"
        && mode != "copies") {
        std::fprintf(stderr, "usage: bench_tick_floor timer|repaint|flush|xcb|copies\n");
        return 2;
    }
    // As the widget does: the pixels go over the connection, not through shared memory.
    qputenv("QT_XCB_NO_MITSHM", "1");
    QApplication app(argc, argv);
    Window w;
    w.resize(1500, 170);
    w.show();

    xcb_connection_t *connection = nullptr;
    xcb_gcontext_t gc = 0;
    xcb_pixmap_t source = 0;
    if (mode == "xcb" || mode == "copies") {
        auto *x11 = app.nativeInterface<QNativeInterface::QX11Application>();
        connection = x11 ? x11->connection() : nullptr;
        if (!connection) {
            std::fprintf(stderr, "bench_tick_floor: %s needs an X display\n", argv[1]);
            return 2;
        }
        gc = xcb_generate_id(connection);
        const uint32_t noExposures = 0; // a copy would answer with an event
        xcb_create_gc(connection, gc, xcb_window_t(w.winId()), XCB_GC_GRAPHICS_EXPOSURES,
                      &noExposures);
        if (mode == "copies") {
            source = xcb_generate_id(connection);
            xcb_create_pixmap(connection, 24, source, xcb_window_t(w.winId()), 100, 100);
            const xcb_rectangle_t all {0, 0, 100, 100};
            xcb_poly_fill_rectangle(connection, source, gc, 1, &all);
        }
    }

    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++w.n;
        const QRect r = w.square();
        if (mode == "repaint") {
            w.repaint(r);
        } else if (mode == "flush") {
            QBackingStore *store = w.backingStore();
            store->beginPaint(r);
            auto *image = static_cast<QImage *>(store->paintDevice());
            for (int y = r.top(); y <= r.bottom(); ++y)
                std::fill_n(reinterpret_cast<QRgb *>(image->scanLine(y)) + r.left(), Side,
                            w.colour());
            store->endPaint();
            store->flush(r, w.windowHandle());
        } else if (mode == "xcb") {
            std::array<QRgb, Side * Side> pixels;
            pixels.fill(w.colour());
            xcb_put_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, xcb_window_t(w.winId()), gc,
                          Side, Side, r.left(), r.top(), 0, 24, sizeof pixels,
                          reinterpret_cast<const uint8_t *>(pixels.data()));
            xcb_flush(connection);
        } else if (mode == "copies") {
            for (int i = 0; i < 100; ++i)
                xcb_copy_area(connection, source, xcb_window_t(w.winId()), gc, (i * 7) % 90,
                              (i * 3) % 90, (i * 13 + w.n) % 1490, (i * 17) % 160, Side, Side);
            xcb_flush(connection);
        }
    });
    timer.start(1000);
    return app.exec();
}
