#include "platform/display.h"

#include <QByteArray>
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tivora {

namespace {

// Set when the display is tried through the toolkit itself, which spares the server a
// second connection.
bool triedDisplay = false;

bool hasDisplayName()
{
    const char *display = std::getenv("DISPLAY");
    return display && *display;
}

} // namespace

// The widget runs on X11, on a Wayland desktop through XWayland.
bool choosePlatform(bool snapshot)
{
    if (const char *platform = std::getenv("QT_QPA_PLATFORM"); platform && *platform) {
        // A list such as "xcb;offscreen" that names xcb is kept, and so is a snapshot's
        // explicit offscreen; anything else (wayland, a desktop session's default) could
        // not place the widget, or not start at all.
        const QByteArray named(platform);
        if (named.split(';').contains("xcb") || (snapshot && named == "offscreen"))
            return true;
        std::fprintf(stderr,
                     "tivora: QT_QPA_PLATFORM=%s replaced by xcb: Tivora is an X11 program "
                     "(XWayland serves Wayland desktops)\n",
                     platform);
        qunsetenv("QT_QPA_PLATFORM");
    }
    if (hasDisplayName()) {
        qputenv("QT_QPA_PLATFORM", "xcb;offscreen");
        triedDisplay = true;
        return true;
    }
    if (snapshot) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return true;
    }
    return false;
}

bool onDisplay()
{
    return !triedDisplay || QGuiApplication::platformName() != QLatin1String("offscreen");
}

const char *whyNoDisplay()
{
    return hasDisplayName() ? "cannot open DISPLAY" : "DISPLAY is not set";
}

bool isDisplayComplaint(const char *category)
{
    return category
        && (std::strcmp(category, "qt.qpa.xcb") == 0 || std::strcmp(category, "qt.qpa.plugin") == 0);
}

} // namespace tivora
