#pragma once

#include <QRegion>
#include <cstdint>
#include <memory>

class QImage;

namespace tivora {

// The shape of a top-level window: only the pixels set in a one-bit mask are shown (and
// take the mouse); the others show what lies below. The mask goes to the window system
// as one bitmap, and each change is one request. Without a window system that can
// shape windows, nothing happens.
class WindowShape
{
public:
    WindowShape();
    WindowShape(const WindowShape &) = delete;
    WindowShape &operator=(const WindowShape &) = delete;
    ~WindowShape();

    // What a caller painted just before a change of the shape and hands to the window
    // after it (device pixels), and the bounding box of the pixels the change shows that
    // it hid before. The window system reports the newly shown pixels as to be painted
    // (their rectangles, or their bounding box when they are many); reports that this
    // painting covers are dropped instead of being painted a second time.
    struct Repainted
    {
        QRegion area;
        QRect newlyShown;
    };
    // Shapes the window by the mask (QImage::Format_MonoLSB, the window's size in device
    // pixels, set bits shown). Only rows top..bottom-1 changed since the last call for
    // the same window and size; an empty mask hides the whole window.
    void set(std::uintptr_t window, const QImage &mask, int top, int bottom,
             const Repainted &repainted = {});
    // Gives the window back its whole rectangle.
    void clear();

private:
    class ExposeFilter;
    void release();

    std::unique_ptr<ExposeFilter> m_filter;

    std::uintptr_t m_window = 0;
    std::uint32_t m_pixmap = 0;
    std::uint32_t m_gc = 0;
    int m_width = 0;
    int m_height = 0;
};

} // namespace tivora
