#pragma once

#include <cstdint>
#include <optional>

namespace tivora {

// Makes a top-level window a desktop widget for the window manager: off the taskbar and
// the pager, on every workspace, and kept above other windows or not. Call after the
// native window exists and before each time it is shown (a window manager drops these
// states when a window is hidden). No effect without an X11 display.
void setWidgetWindowState(std::uintptr_t window, bool above);

// Asks the window manager to keep a shown window above other windows, or no longer.
void setKeptAbove(std::uintptr_t window, bool above);

// Puts a window that is about to be shown on the workspace the user is on, whatever
// workspaces the windows it belongs to are on. No effect without an X11 display.
void setOnCurrentWorkspace(std::uintptr_t window);

struct ScreenPoint
{
    int x = 0;
    int y = 0;
};

// Where the X server has the window's top-left corner on the screen, or nothing when it
// cannot tell (no X11 display, no such window, a lost connection).
std::optional<ScreenPoint> windowTopLeft(std::uintptr_t window);

// Widens the buffer in which the program's requests wait for the window system, so that
// the pixels of a repaint go out at once, without the program sleeping on a full buffer
// until the server has read them. No effect without an X11 display.
void widenRequestBuffer();

// Sends the requests waiting for the window system now, not when the event loop next
// runs: the map of a window just shown goes out before work that can follow it.
void sendRequestsNow();

} // namespace tivora
