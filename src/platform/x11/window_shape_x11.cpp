#include "platform/window_shape.h"

#include "platform/x11/toolkit_connection.h"

#include <QImage>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>
#include <xcb/shape.h>

namespace tivora {

namespace {

xcb_connection_t *shapingConnection()
{
    xcb_connection_t *c = toolkitConnection();
    if (!c)
        return nullptr;
    const xcb_query_extension_reply_t *shape = xcb_get_extension_data(c, &xcb_shape_id);
    return shape && shape->present ? c : nullptr;
}

// Rows of the mask in the server's bitmap layout: scanline units of `unit` bits whose
// leftmost pixel is the unit's lowest or highest bit, stored in the server's byte
// order, each row padded to `pad` bits.
std::vector<std::uint8_t> serverRows(const QImage &mask, int top, int bottom,
                                     const xcb_setup_t *setup, int rowBytes)
{
    std::vector<std::uint8_t> out(size_t(rowBytes) * size_t(bottom - top), 0);
    const int unit = setup->bitmap_format_scanline_unit;
    const bool lsbBits = setup->bitmap_format_bit_order == XCB_IMAGE_ORDER_LSB_FIRST;
    const bool lsbBytes = setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    for (int y = top; y < bottom; ++y) {
        const uchar *src = mask.constScanLine(y);
        std::uint8_t *dst = out.data() + size_t(rowBytes) * size_t(y - top);
        for (int x = 0; x < mask.width(); ++x) {
            if (!(src[x >> 3] & (1 << (x & 7))))
                continue;
            const int k = x % unit;
            const int bit = lsbBits ? k : unit - 1 - k;
            const int byte = lsbBytes ? bit / 8 : unit / 8 - 1 - bit / 8;
            dst[(x / unit) * (unit / 8) + byte] |= std::uint8_t(1 << (bit % 8));
        }
    }
    return out;
}

} // namespace

WindowShape::~WindowShape()
{
    release();
}

void WindowShape::set(std::uintptr_t window, const QImage &mask, int top, int bottom,
                      bool repaintFollows)
{
    xcb_connection_t *c = shapingConnection();
    if (!c || !window || mask.isNull() || mask.format() != QImage::Format_MonoLSB)
        return;
    const int w = mask.width();
    const int h = mask.height();
    if (window != m_window || w != m_width || h != m_height) {
        release();
        m_window = window;
        m_width = w;
        m_height = h;
        m_pixmap = xcb_generate_id(c);
        xcb_create_pixmap(c, 1, m_pixmap, xcb_window_t(window), std::uint16_t(w), std::uint16_t(h));
        m_gc = xcb_generate_id(c);
        xcb_create_gc(c, m_gc, m_pixmap, 0, nullptr);
        // The events this program takes from the window, to be given back after a
        // change made without its expose reports (one round trip, once a window).
        const xcb_get_window_attributes_cookie_t ask =
            xcb_get_window_attributes(c, xcb_window_t(window));
        if (xcb_get_window_attributes_reply_t *reply =
                xcb_get_window_attributes_reply(c, ask, nullptr)) {
            m_eventMask = reply->your_event_mask;
            std::free(reply);
        }
        top = 0;
        bottom = h;
    }
    top = std::clamp(top, 0, h);
    bottom = std::clamp(bottom, top, h);

    // The changed rows go into the server's copy of the mask, in as few requests as the
    // server's request size allows; the shape is then set from it in one request.
    const xcb_setup_t *setup = xcb_get_setup(c);
    const int pad = setup->bitmap_format_scanline_pad;
    const int rowBytes = (w + pad - 1) / pad * (pad / 8);
    // QImage's one-bit rows already are the common layout: lowest bit leftmost, in
    // memory order, padded to 32 bits.
    const bool sameLayout = setup->bitmap_format_bit_order == XCB_IMAGE_ORDER_LSB_FIRST
        && (setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST
            || setup->bitmap_format_scanline_unit == 8)
        && rowBytes == mask.bytesPerLine();
    std::vector<std::uint8_t> converted;
    if (sameLayout) {
        // The bits past the width at the end of each row are padding the image never
        // sets: they go to the server as zeros, not as whatever the memory held.
        converted.resize(size_t(bottom - top) * size_t(rowBytes));
        const int fullBytes = w / 8;
        const auto lastBits = std::uint8_t((1u << (w % 8)) - 1); // LSB first: leftmost bits
        for (int y = top; y < bottom; ++y) {
            std::uint8_t *row = converted.data() + size_t(y - top) * size_t(rowBytes);
            std::memcpy(row, mask.constScanLine(y), size_t(fullBytes));
            if (lastBits)
                row[fullBytes] = mask.constScanLine(y)[fullBytes] & lastBits;
        }
    } else {
        converted = serverRows(mask, top, bottom, setup, rowBytes);
    }
    const std::uint8_t *data = converted.data();
    const size_t maxBytes = size_t(xcb_get_maximum_request_length(c)) * 4 - 24;
    const int bandRows = std::max(1, int(maxBytes / size_t(rowBytes)));
    for (int y = top; y < bottom; y += bandRows) {
        const int rows = std::min(bandRows, bottom - y);
        xcb_put_image(c, XCB_IMAGE_FORMAT_XY_PIXMAP, m_pixmap, m_gc, std::uint16_t(w),
                      std::uint16_t(rows), 0, std::int16_t(y), 0, 1, std::uint32_t(rows * rowBytes),
                      data + size_t(y - top) * rowBytes);
    }
    // Where the new shape shows pixels it hid, the X server reports them as to be
    // painted, and that report would wake the program a second and third time in the
    // tick. When the caller paints the changed part right after the change, the report
    // says nothing new: the change is made with the window's expose reports switched off
    // for this program, in the same batch of requests.
    const bool quiet = repaintFollows && (m_eventMask & XCB_EVENT_MASK_EXPOSURE);
    if (quiet) {
        const std::uint32_t without = m_eventMask & ~std::uint32_t(XCB_EVENT_MASK_EXPOSURE);
        xcb_change_window_attributes(c, xcb_window_t(window), XCB_CW_EVENT_MASK, &without);
    }
    xcb_shape_mask(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, xcb_window_t(window), 0, 0,
                   m_pixmap);
    if (quiet)
        xcb_change_window_attributes(c, xcb_window_t(window), XCB_CW_EVENT_MASK, &m_eventMask);
}

void WindowShape::clear()
{
    if (xcb_connection_t *c = shapingConnection(); c && m_window)
        xcb_shape_mask(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, xcb_window_t(m_window), 0, 0,
                       XCB_NONE);
    release();
}

void WindowShape::release()
{
    if (xcb_connection_t *c = toolkitConnection(); c && m_pixmap) {
        xcb_free_gc(c, m_gc);
        xcb_free_pixmap(c, m_pixmap);
    }
    m_window = 0;
    m_eventMask = 0;
    m_pixmap = 0;
    m_gc = 0;
    m_width = m_height = 0;
}

} // namespace tivora
