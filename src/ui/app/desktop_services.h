#pragma once

#include "core/model/snap.h"
#include "core/time/local_clock.h"

#include <QRect>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace tivora {

// Where the program runs and what it was asked to do. Start-up decides it once and
// every window takes its folder from here.
struct StartupContext
{
    std::filesystem::path executable;
    std::filesystem::path dataDir;
    QStringList arguments; // the command line without the program name
    bool snapshot = false; // paint once into a picture: no instance control, tray or timer
    bool trace = false; // print the times of the first paint and of every tick to stderr
    double snapshotScale = 1; // the scale the snapshot is painted at
};

// Seams for the parts of the desktop that tests replace. An empty one is filled with
// the real desktop's.
struct DesktopServices
{
    std::function<bool()> trayAvailable;
    std::function<void(const QString &title, const QString &text)> warning;
    LocalClock clock; // the wall clock and the local zone; each part left empty is the system's
    std::function<std::vector<ScreenArea>()> screens; // each screen, with its work area
};

} // namespace tivora
