#pragma once

#include <cstdint>

class QImage;

namespace tivora {

// A picture a top-level window shows from the instant it is mapped, before the program
// has painted it: the window system paints a window's background itself as part of the
// map, so a window given its first picture as background never shows up empty. Once
// the program's own paint has reached the window, the background goes back to none
// (the toolkit's, which leaves exposed areas to the program) and the window system
// frees the picture. Without an X11 display, or for a window whose pixel format the
// picture cannot be given in, nothing happens and the window shows what it always did.
class WindowBackground
{
public:
    WindowBackground() = default;
    WindowBackground(const WindowBackground &) = delete;
    WindowBackground &operator=(const WindowBackground &) = delete;
    ~WindowBackground();

    // Makes the picture (32 bits a pixel, at device pixels: the window's own size) the
    // background of a window that is not mapped yet. True when it is set.
    bool set(std::uintptr_t window, const QImage &picture);
    // Gives the window back the toolkit's background and frees the picture; call once
    // the window has been painted. Nothing to do when no picture is set.
    void release();

private:
    std::uintptr_t m_window = 0;
};

} // namespace tivora
