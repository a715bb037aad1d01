#include "platform/window_shape.h"

#include "platform/x11/toolkit_connection.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QImage>
#include <algorithm>
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

// Drops the expose reports a shape change causes where the window is painted right after
// it. A report is dropped only when the server made it while carrying out the change (its
// sequence number is the change's) and it is one the change gives: inside the part painted
// then, which reaches the server after the change, or exactly the bounding box of the
// pixels the change showed (the server's summary of many). Every other report goes on,
// and a report that goes on lets the rest of its series go on too, so that the toolkit
// never waits for a series' last report.
class WindowShape::ExposeFilter : public QAbstractNativeEventFilter
{
public:
    ExposeFilter() { QCoreApplication::instance()->installNativeEventFilter(this); }
    ~ExposeFilter() override
    {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }
    ExposeFilter(const ExposeFilter &) = delete;
    ExposeFilter &operator=(const ExposeFilter &) = delete;

    void expect(xcb_window_t window, std::uint16_t sequence, const Repainted &repainted)
    {
        m_window = window;
        m_sequence = sequence;
        m_repainted = repainted;
    }

    bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        if ((event->response_type & 0x7f) != XCB_EXPOSE)
            return false;
        const auto *expose = static_cast<const xcb_expose_event_t *>(message);
        if (expose->window != m_window)
            return false;
        if (m_passSeries) {
            m_passSeries = expose->count > 0;
            return false;
        }
        const QRect rect(expose->x, expose->y, expose->width, expose->height);
        if (expose->sequence == m_sequence && !m_repainted.area.isEmpty()
            && (rect == m_repainted.newlyShown || (QRegion(rect) - m_repainted.area).isEmpty()))
            return true;
        m_passSeries = expose->count > 0;
        return false;
    }

private:
    xcb_window_t m_window = XCB_NONE;
    std::uint16_t m_sequence = 0;
    Repainted m_repainted;
    bool m_passSeries = false;
};

WindowShape::WindowShape() = default;

WindowShape::~WindowShape()
{
    release();
}

void WindowShape::set(std::uintptr_t window, const QImage &mask, int top, int bottom,
                      const Repainted &repainted)
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
    const xcb_void_cookie_t change = xcb_shape_mask(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING,
                                                    xcb_window_t(window), 0, 0, m_pixmap);
    if (!m_filter)
        m_filter = std::make_unique<ExposeFilter>();
    m_filter->expect(xcb_window_t(window), std::uint16_t(change.sequence), repainted);
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
    if (m_filter)
        m_filter->expect(XCB_NONE, 0, {});
    m_window = 0;
    m_pixmap = 0;
    m_gc = 0;
    m_width = m_height = 0;
}

} // namespace tivora
