#pragma once

#include <cstdint>
#include <functional>

class QObject;
class QPoint;

namespace tivora {

// Reports right-button clicks (press and release on the same window) on the windows that
// `wanted` picks, straight from the window system: also while a modal window keeps the
// toolkit from giving those windows any mouse input. `clicked` gets the window and the
// release's position in it and on the screen. Lives as long as the owner. No effect
// without an X11 display.
void watchRightClicks(
    QObject *owner, std::function<bool(std::uintptr_t window)> wanted,
    std::function<void(std::uintptr_t window, QPoint local, QPoint global)> clicked);

} // namespace tivora
