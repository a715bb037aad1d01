#pragma once

#include <cstdint>

class QImage;

namespace tivora {

// The shape of a top-level window: only the pixels set in a one-bit mask are shown (and
// take the mouse); the others show what lies below. The mask goes to the window system
// as one bitmap, and each change is one request. Without a window system that can
// shape windows, nothing happens.
class WindowShape
{
public:
    WindowShape() = default;
    WindowShape(const WindowShape &) = delete;
    WindowShape &operator=(const WindowShape &) = delete;
    ~WindowShape();

    // Shapes the window by the mask (QImage::Format_MonoLSB, the window's size in device
    // pixels, set bits shown). Only rows top..bottom-1 changed since the last call for
    // the same window and size; an empty mask hides the whole window. repaintFollows
    // says that the caller has painted every changed pixel and hands it to the window
    // right after this change: the window system's report of the pixels the change shows
    // is then not asked for.
    void set(std::uintptr_t window, const QImage &mask, int top, int bottom,
             bool repaintFollows = false);
    // Gives the window back its whole rectangle.
    void clear();

private:
    void release();

    std::uintptr_t m_window = 0;
    std::uint32_t m_pixmap = 0;
    std::uint32_t m_gc = 0;
    int m_width = 0;
    int m_height = 0;
    std::uint32_t m_eventMask = 0; // the events this program takes from the window
};

} // namespace tivora
