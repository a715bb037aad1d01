#include "platform/window_background.h"

#include "platform/x11/toolkit_connection.h"

#include <QImage>
#include <QSysInfo>
#include <algorithm>
#include <cstdlib>
#include <memory>

namespace tivora {

namespace {

template<class T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

// Whether the window's pixels are 8-bit red, green and blue in one 32-bit word, the
// layout of a 32-bit QImage, so the picture goes to the server as it is.
bool takes32BitPixels(const xcb_setup_t *setup, xcb_visualid_t visual, std::uint8_t depth)
{
    if (depth != 24 && depth != 32)
        return false;
    bool wordPixels = false;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
        if (f.data->depth == depth)
            wordPixels = f.data->bits_per_pixel == 32 && f.data->scanline_pad <= 32;
    if (!wordPixels)
        return false;
    for (auto s = xcb_setup_roots_iterator(setup); s.rem; xcb_screen_next(&s))
        for (auto d = xcb_screen_allowed_depths_iterator(s.data); d.rem; xcb_depth_next(&d)) {
            if (d.data->depth != depth)
                continue;
            for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
                if (v.data->visual_id == visual)
                    return (v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR
                            || v.data->_class == XCB_VISUAL_CLASS_DIRECT_COLOR)
                        && v.data->red_mask == 0xff0000 && v.data->green_mask == 0xff00
                        && v.data->blue_mask == 0xff;
        }
    return false;
}

} // namespace

WindowBackground::~WindowBackground()
{
    release();
}

bool WindowBackground::set(std::uintptr_t window, const QImage &picture)
{
    release();
    xcb_connection_t *c = toolkitConnection();
    const int w = picture.width();
    const int h = picture.height();
    if (!c || !window || picture.isNull() || w > 32767 || h > 32767)
        return false;
    const auto win = xcb_window_t(window);
    const auto geometryAsked = xcb_get_geometry(c, win);
    const auto attributesAsked = xcb_get_window_attributes(c, win);
    const Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(c, geometryAsked, nullptr), &std::free);
    const Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, attributesAsked, nullptr), &std::free);
    // A window already on the screen gains nothing: the program paints it as usual.
    if (!geometry || !attributes || attributes->map_state != XCB_MAP_STATE_UNMAPPED
        || attributes->_class != XCB_WINDOW_CLASS_INPUT_OUTPUT
        || !takes32BitPixels(xcb_get_setup(c), attributes->visual, geometry->depth))
        return false;

    QImage pixels = picture.format() == QImage::Format_RGB32
            || picture.format() == QImage::Format_ARGB32_Premultiplied
        ? picture
        : picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // The words go in the server's byte order.
    const bool serverLittle = xcb_get_setup(c)->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    if (serverLittle != (QSysInfo::ByteOrder == QSysInfo::LittleEndian)) {
        pixels.detach();
        for (int y = 0; y < h; ++y) {
            auto *row = reinterpret_cast<std::uint32_t *>(pixels.scanLine(y));
            for (int x = 0; x < w; ++x)
                row[x] = __builtin_bswap32(row[x]);
        }
    }

    // The picture goes into a pixmap in as few requests as the server's request size
    // allows, and the pixmap becomes the background. The window holds on to it while it
    // is the background, so the pixmap's own id is let go at once.
    const std::uint8_t depth = geometry->depth;
    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    xcb_create_pixmap(c, depth, pixmap, win, std::uint16_t(w), std::uint16_t(h));
    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, pixmap, 0, nullptr);
    const size_t rowBytes = size_t(w) * 4;
    const size_t maxBytes = size_t(xcb_get_maximum_request_length(c)) * 4 - 24;
    const int strip = std::max(1, int(maxBytes / rowBytes));
    for (int y = 0; y < h; y += strip) {
        const int rows = std::min(strip, h - y);
        xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, std::uint16_t(w),
                      std::uint16_t(rows), 0, std::int16_t(y), 0, depth,
                      std::uint32_t(size_t(rows) * rowBytes), pixels.constScanLine(y));
    }
    xcb_free_gc(c, gc);
    xcb_change_window_attributes(c, win, XCB_CW_BACK_PIXMAP, &pixmap);
    xcb_free_pixmap(c, pixmap);
    m_window = window;
    return true;
}

void WindowBackground::release()
{
    if (!m_window)
        return;
    if (xcb_connection_t *c = toolkitConnection()) {
        const std::uint32_t none = XCB_BACK_PIXMAP_NONE;
        xcb_change_window_attributes(c, xcb_window_t(m_window), XCB_CW_BACK_PIXMAP, &none);
    }
    m_window = 0;
}

} // namespace tivora
