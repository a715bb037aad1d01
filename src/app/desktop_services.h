#pragma once

#include "render/clock_time.h"

#include <QRect>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <filesystem>
#include <functional>

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
    std::function<LocalDateTime()> now;
    std::function<std::int64_t()> clockMs; // the wall clock, milliseconds since the epoch
    std::function<QRect()> workArea; // the primary screen without panels
};

} // namespace tivora
