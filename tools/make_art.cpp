// Draws the program's built-in artwork: the default skin's clock face, the tray icon and
// the about window's background.
//
//   tivora_make_art [output folder]     (default: the current folder)
//
// writes default_skin.bmp (139 x 139, 24 bits per pixel), tray_icon.png (16 x 16),
// about_bg.bmp (308 x 200, 24 bits per pixel) and the tray icon's picture as the
// application icon for the desktop's menus, drawn anew at each size:
// icons/tivora_SIZE.png for 16, 32, 48, 64, 128 and 256 pixels.
// The face is a 12-hour dial centred on pixel (68, 68) on a pure white background; the
// hands are not part of it, the program draws them.
#include <QColor>
#include <QDir>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

#include <cmath>
#include <cstdio>

namespace {

constexpr int FaceSize = 139;
// Pixel (68, 68) covers [68, 69) in painter coordinates: its middle is the centre.
constexpr double Centre = 68.5;
constexpr double RingRadius = 65.4;
constexpr double RingWidth = 2.4;

const QColor Ink(0x26, 0x29, 0x2e);
const QColor MinuteInk(0x5f, 0x64, 0x6b);

QPointF polar(double radius, double minutes)
{
    const double angle = minutes * 6.0 * M_PI / 180.0;
    return {Centre + radius * std::sin(angle), Centre - radius * std::cos(angle)};
}

QFont numeralFont(double pixelSize)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(qRound(pixelSize));
    font.setWeight(QFont::DemiBold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// Everything outside the ring's outer edge becomes pure white again: the faint
// antialiased fringe there turns white, only pixels mostly covered by the ring stay.
// That keeps the corners exactly white, so see-through white removes all of them.
void whitenOutside(QImage &image)
{
    const double outerEdge = RingRadius + RingWidth / 2.0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const double dx = x + 0.5 - Centre;
            const double dy = y + 0.5 - Centre;
            const double distance = std::sqrt(dx * dx + dy * dy);
            if (distance < outerEdge - 0.5)
                continue;
            const QColor c = image.pixelColor(x, y);
            if (distance > outerEdge + 1.0 || qGray(c.rgb()) > 150)
                image.setPixelColor(x, y, Qt::white);
        }
    }
}

QImage drawFace()
{
    QImage image(FaceSize, FaceSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QPointF centre(Centre, Centre);

    // The dial: a faintly shaded face (never pure white, so it stays visible when white
    // is made see-through) inside a dark ring.
    QRadialGradient shade(centre, RingRadius, QPointF(Centre - 14, Centre - 18));
    shade.setColorAt(0.0, QColor(253, 253, 252));
    shade.setColorAt(0.75, QColor(246, 247, 248));
    shade.setColorAt(1.0, QColor(232, 234, 238));
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawEllipse(centre, RingRadius, RingRadius);

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Ink, RingWidth));
    p.drawEllipse(centre, RingRadius, RingRadius);
    p.setPen(QPen(QColor(0xb8, 0xbc, 0xc2), 0.8));
    p.drawEllipse(centre, RingRadius - 3.2, RingRadius - 3.2);

    // Minute marks, longer and heavier at the hours.
    for (int minute = 0; minute < 60; ++minute) {
        const bool hour = minute % 5 == 0;
        const double outer = RingRadius - 4.6;
        const double inner = hour ? outer - 6.5 : outer - 3.0;
        QPen pen(hour ? Ink : MinuteInk, hour ? 2.4 : 1.1);
        pen.setCapStyle(Qt::FlatCap);
        p.setPen(pen);
        p.drawLine(polar(inner, minute), polar(outer, minute));
    }

    // Numerals 1 to 12, each centred optically on its place on a circle.
    const QFont font = numeralFont(13.0);
    const QFontMetricsF metrics(font);
    p.setFont(font);
    p.setPen(Ink);
    for (int hour = 1; hour <= 12; ++hour) {
        const QString text = QString::number(hour);
        const QRectF box = metrics.tightBoundingRect(text);
        const QPointF place = polar(45.0, hour * 5.0);
        p.drawText(QPointF(place.x() - box.center().x(), place.y() - box.center().y()), text);
    }

    // A small hub for the hands to turn on.
    p.setPen(Qt::NoPen);
    p.setBrush(Ink);
    p.drawEllipse(centre, 2.4, 2.4);
    p.end();

    whitenOutside(image);
    return image;
}

// The tray icon's picture on a 16 x 16 grid, drawn at a whole multiple of that size so
// the hands stay on whole pixels.
QImage drawTrayIcon(int scale = 1)
{
    QImage image(16 * scale, 16 * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(8.0, 8.0);

    p.setPen(QPen(QColor(0x1f, 0x5f, 0xa8), 1.6));
    p.setBrush(QColor(0xfb, 0xfc, 0xfd));
    p.drawEllipse(centre, 6.9, 6.9);

    // Twelve, three, six and nine as short ticks.
    p.setPen(QPen(QColor(0x7d, 0x9c, 0xc4), 1.0, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(13.6, 8.0), QPointF(12.4, 8.0));
    p.drawLine(QPointF(8.0, 13.6), QPointF(8.0, 12.4));
    p.drawLine(QPointF(2.4, 8.0), QPointF(3.6, 8.0));
    p.drawLine(QPointF(8.0, 2.4), QPointF(8.0, 3.6));

    // Hands at three o'clock, two pixels wide on whole pixels so they stay crisp: the
    // minute hand straight up, the shorter hour hand to the right.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x22, 0x25, 0x2a));
    p.drawRect(7, 4, 2, 5);
    p.drawRect(7, 7, 5, 2);
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

// The about window's picture: a dark title band (the white "X" sits on it at the top
// right), a light field for the dark credit texts and blue links, a faint clock on the
// right and a rule above the links.
QImage drawAboutBackground()
{
    constexpr int W = 308;
    constexpr int H = 200;
    constexpr int Band = 24;
    QImage image(W, H, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient field(0, Band, 0, H);
    field.setColorAt(0.0, QColor(0xfb, 0xfa, 0xf6));
    field.setColorAt(1.0, QColor(0xe4, 0xea, 0xf2));
    p.fillRect(0, Band, W, H - Band, field);

    QLinearGradient band(0, 0, W, 0);
    band.setColorAt(0.0, QColor(0x1d, 0x36, 0x5a));
    band.setColorAt(1.0, QColor(0x28, 0x4d, 0x7e));
    p.fillRect(0, 0, W, Band, band);
    p.fillRect(0, Band, W, 2, QColor(0x3d, 0x7c, 0xc9));

    QFont title = numeralFont(14.0);
    title.setWeight(QFont::Bold);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    p.setFont(title);
    p.setPen(QColor(0xf2, 0xf5, 0xfa));
    p.drawText(QRectF(12, 0, 200, Band), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("TIVORA"));

    // A faint clock at ten past ten, clear of the texts.
    const QPointF c(258.5, 96.5);
    const double r = 36.0;
    const QColor faint(0xc4, 0xcf, 0xdc);
    p.setPen(QPen(faint, 2.0));
    p.setBrush(QColor(0xf4, 0xf6, 0xf9));
    p.drawEllipse(c, r, r);
    for (int hour = 0; hour < 12; ++hour) {
        const double a = hour * 30.0 * M_PI / 180.0;
        const QPointF dir(std::sin(a), -std::cos(a));
        p.setPen(QPen(faint, hour % 3 == 0 ? 2.2 : 1.2, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(c + dir * (r - 4.0), c + dir * (r - (hour % 3 == 0 ? 10.0 : 7.0)));
    }
    const QColor hands(0xa8, 0xb7, 0xc9);
    const auto hand = [&](double minutes, double length, double width) {
        const double a = minutes * 6.0 * M_PI / 180.0;
        p.setPen(QPen(hands, width, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c, c + QPointF(std::sin(a), -std::cos(a)) * length);
    };
    hand(50.8, 18.0, 3.0); // hour hand, just past ten
    hand(10.0, 27.0, 2.0);
    p.setPen(Qt::NoPen);
    p.setBrush(hands);
    p.drawEllipse(c, 2.6, 2.6);

    // A rule between the credits and the links.
    p.setPen(QPen(QColor(0xc9, 0xd3, 0xdf), 1.0));
    p.drawLine(QPointF(30, 145.5), QPointF(278, 145.5));
    p.end();
    return image;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));

    const QString facePath = out.filePath(QStringLiteral("default_skin.bmp"));
    const QImage face = drawFace().convertToFormat(QImage::Format_RGB888);
    if (!face.save(facePath, "BMP")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(facePath));
        return 1;
    }
    const QString iconPath = out.filePath(QStringLiteral("tray_icon.png"));
    if (!drawTrayIcon().save(iconPath, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(iconPath));
        return 1;
    }
    const QString aboutPath = out.filePath(QStringLiteral("about_bg.bmp"));
    if (!drawAboutBackground().convertToFormat(QImage::Format_RGB888).save(aboutPath, "BMP")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(aboutPath));
        return 1;
    }
    if (!out.mkpath(QStringLiteral("icons"))) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(out.filePath(QStringLiteral("icons"))));
        return 1;
    }
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QString path = out.filePath(QStringLiteral("icons/tivora_%1.png").arg(size));
        if (!drawTrayIcon(size / 16).save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    std::printf("wrote %s, %s, %s and the application icons\n", qPrintable(facePath),
                qPrintable(iconPath), qPrintable(aboutPath));
    return 0;
}
