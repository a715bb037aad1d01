#pragma once

#include <cstdint>

namespace tivora {

// Keeps a top-level window off the taskbar and the pager. Call after the native window
// exists and before it is first shown. No effect without an X11 display.
void setSkipTaskbar(std::uintptr_t window);

// Widens the buffer in which the program's requests wait for the window system, so that
// the pixels of a repaint go out at once, without the program sleeping on a full buffer
// until the server has read them. No effect without an X11 display.
void widenRequestBuffer();

} // namespace tivora
