#include "platform/server_frames.h"

#include "platform/wall_clock.h"
#include "platform/x11/toolkit_connection.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QImage>
#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <xcb/sync.h>

namespace tivora {

namespace {

xcb_connection_t *conn(void *c)
{
    return static_cast<xcb_connection_t *>(c);
}

xcb_sync_int64_t syncValue(std::int64_t v)
{
    return {std::int32_t(v >> 32), std::uint32_t(v)};
}

// The id of the server's system counter by that name, or 0. The reply's entries are
// read by hand: each is a counter id, a resolution, the name's length and the name,
// padded to four bytes (libxcb's iterator over them misreads the names).
std::uint32_t systemCounter(xcb_connection_t *c, const char *name)
{
    xcb_sync_list_system_counters_reply_t *reply =
        xcb_sync_list_system_counters_reply(c, xcb_sync_list_system_counters(c), nullptr);
    if (!reply)
        return 0;
    std::uint32_t found = 0;
    const auto *at = reinterpret_cast<const std::uint8_t *>(reply + 1);
    const auto *end = at + std::size_t(reply->length) * 4;
    const std::size_t nameLength = std::strlen(name);
    for (std::uint32_t i = 0; i < reply->counters_len && at + 14 <= end; ++i) {
        std::uint32_t id;
        std::uint16_t length;
        std::memcpy(&id, at, 4);
        std::memcpy(&length, at + 12, 2);
        if (at + 14 + length > end)
            break;
        if (length == nameLength && std::memcmp(at + 14, name, length) == 0)
            found = id;
        at += (14 + std::size_t(length) + 3) & ~std::size_t(3);
    }
    std::free(reply);
    return found;
}

std::int64_t counterValue(xcb_connection_t *c, std::uint32_t counter, bool *ok)
{
    xcb_sync_query_counter_reply_t *reply =
        xcb_sync_query_counter_reply(c, xcb_sync_query_counter(c, counter), nullptr);
    *ok = reply != nullptr;
    if (!reply)
        return 0;
    const std::int64_t v = (std::int64_t(reply->counter_value.hi) << 32) | reply->counter_value.lo;
    std::free(reply);
    return v;
}

// Whether pixels of that depth are 32 bits each, in this machine's byte order: the
// layout of a 32-bit QImage, sent as it is.
bool pixelsAsImage(xcb_connection_t *c, std::uint8_t depth)
{
    const xcb_setup_t *setup = xcb_get_setup(c);
    const bool ownOrder = (setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST)
        == (std::endian::native == std::endian::little);
    if (!ownOrder)
        return false;
    for (xcb_format_iterator_t f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
        if (f.data->depth == depth)
            return f.data->bits_per_pixel == 32;
    return false;
}

} // namespace

class ServerFrames::ExposeFilter : public QAbstractNativeEventFilter
{
public:
    ExposeFilter(const ServerFrames &frames, std::function<void()> exposed)
        : m_frames(frames), m_exposed(std::move(exposed))
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~ExposeFilter() override
    {
        if (QCoreApplication *app = QCoreApplication::instance())
            app->removeNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override
    {
        if (type != "xcb_generic_event_t" || !m_frames.m_pending)
            return false;
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        if ((event->response_type & 0x7f) == XCB_EXPOSE
            && reinterpret_cast<const xcb_expose_event_t *>(event)->window == m_frames.m_window)
            m_exposed();
        return false; // the toolkit handles it as well
    }

private:
    const ServerFrames &m_frames;
    std::function<void()> m_exposed;
};

ServerFrames::ServerFrames() = default;

ServerFrames::~ServerFrames()
{
    close();
}

void ServerFrames::onExposed(std::function<void()> exposed)
{
    m_exposeFilter.reset();
    if (QCoreApplication::instance() && exposed)
        m_exposeFilter = std::make_unique<ExposeFilter>(*this, std::move(exposed));
}

bool ServerFrames::connect()
{
    // The toolkit must run on X11; the frames take a connection of their own to the
    // same display, as their waits hold up every later request of their connection.
    xcb_connection_t *toolkit = toolkitConnection();
    if (!toolkit || xcb_connection_has_error(toolkit))
        return false;
    const xcb_query_extension_reply_t *ext = xcb_get_extension_data(toolkit, &xcb_sync_id);
    if (!ext || !ext->present)
        return false;
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    m_connection = c;
    if (xcb_connection_has_error(c))
        return false;
    xcb_sync_initialize_reply_t *version =
        xcb_sync_initialize_reply(c, xcb_sync_initialize(c, 3, 1), nullptr);
    const bool syncOk = version && version->major_version >= 3;
    std::free(version);
    m_serverClock = syncOk ? systemCounter(c, "SERVERTIME") : 0;
    if (!m_serverClock)
        return false;
    // The server clock against this machine's monotonic clock: read between two readings
    // of ours, which must be close for the difference to be worth anything. The closest
    // of a few tries counts, as a busy machine can hold up one of them.
    std::int64_t closest = INT64_MAX;
    for (int attempt = 0; attempt < 5 && closest > 2; ++attempt) {
        bool ok = false;
        const std::int64_t before = monotonicClockMs();
        const std::int64_t server = counterValue(c, m_serverClock, &ok);
        const std::int64_t after = monotonicClockMs();
        if (!ok)
            return false;
        if (after - before < closest) {
            closest = after - before;
            m_serverMinusMonotonic = server - (before + after) / 2;
        }
    }
    if (closest > 20)
        return false;
    m_cancelCounter = xcb_generate_id(c);
    xcb_sync_create_counter(c, m_cancelCounter, syncValue(0));
    m_generation = 1;
    return !xcb_connection_has_error(c);
}

void ServerFrames::close()
{
    cancel();
    if (m_connection)
        xcb_disconnect(conn(m_connection)); // the server frees the atlas, GC and counter
    m_connection = nullptr;
    m_window = 0;
    m_gc = m_atlas = 0;
    m_depth = 0;
    m_width = m_height = m_atlasHeight = 0;
    m_clipped = false;
}

void ServerFrames::dropAtlas()
{
    if (m_atlas)
        xcb_free_pixmap(conn(m_connection), m_atlas);
    m_atlas = 0;
}

bool ServerFrames::open(std::uintptr_t window, int width, int height, std::size_t atlasBytes)
{
    if (m_failed || !window || width <= 0 || height <= 0 || width > 32767 || height > 32767)
        return false;
    if (m_connection && window != m_window)
        close();
    if (!m_connection) {
        if (!connect()) {
            close();
            m_failed = true;
            return false;
        }
        xcb_connection_t *c = conn(m_connection);
        xcb_get_geometry_reply_t *geometry =
            xcb_get_geometry_reply(c, xcb_get_geometry(c, xcb_window_t(window)), nullptr);
        m_depth = geometry ? geometry->depth : 0;
        std::free(geometry);
        if (!m_depth || !pixelsAsImage(c, m_depth)) {
            close();
            m_failed = true;
            return false;
        }
        m_window = window;
        m_gc = xcb_generate_id(c);
        const std::uint32_t noExposures = 0;
        xcb_create_gc(c, m_gc, xcb_window_t(window), XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    }
    xcb_connection_t *c = conn(m_connection);
    if (xcb_connection_has_error(c)) {
        close();
        m_failed = true;
        return false;
    }
    const int atlasHeight = int(std::min<std::size_t>(32767, atlasBytes / (4 * std::size_t(width))));
    if (width != m_width || height != m_height || atlasHeight != m_atlasHeight) {
        dropAtlas(); // after the copies sent before, which it serves
        m_width = width;
        m_height = height;
        m_atlasWidth = width;
        m_atlasHeight = atlasHeight;
        if (atlasHeight <= 0)
            return false;
        // Asked and answered: a server short of memory says no here, not by leaving
        // every copy of the frames undone.
        m_atlas = xcb_generate_id(c);
        if (xcb_generic_error_t *error = xcb_request_check(
                c, xcb_create_pixmap_checked(c, m_depth, m_atlas, xcb_window_t(window),
                                             std::uint16_t(m_atlasWidth),
                                             std::uint16_t(m_atlasHeight)))) {
            std::free(error);
            m_atlas = 0;
        }
    }
    return m_atlas != 0;
}

bool ServerFrames::place(const std::vector<Piece> &pieces, Shelves &at,
                         std::vector<Copy> *copies) const
{
    for (const Piece &p : pieces) {
        if (p.width <= 0 || p.height <= 0 || p.x < 0 || p.y < 0 || p.x + p.width > m_width
            || p.y + p.height > m_height || p.width > m_atlasWidth)
            return false;
        if (at.x + p.width > m_atlasWidth) {
            at.top += at.height;
            at.height = 0;
            at.x = 0;
        }
        if (at.top + p.height > m_atlasHeight)
            return false;
        if (copies)
            copies->push_back({std::int16_t(at.x), std::int16_t(at.top), std::int16_t(p.x),
                               std::int16_t(p.y), std::uint16_t(p.width), std::uint16_t(p.height)});
        at.x += p.width;
        at.height = std::max(at.height, p.height);
    }
    return true;
}

bool ServerFrames::fits(const std::vector<Piece> &pieces) const
{
    // A new batch has the whole atlas: every copy of the last one comes before its
    // uploads on the frames' connection.
    Shelves at = m_frames.empty() ? Shelves {} : m_shelves;
    return m_atlas && place(pieces, at, nullptr);
}

bool ServerFrames::add(std::int64_t dueMs, const QImage &picture, const std::vector<Piece> &pieces)
{
    if (!m_connection || !m_atlas || picture.depth() != 32 || picture.width() != m_width
        || picture.height() != m_height)
        return false;
    xcb_connection_t *c = conn(m_connection);
    Shelves at = m_frames.empty() ? Shelves {} : m_shelves;
    // A frame goes whole or not at all: its places are found before anything is sent.
    const std::size_t firstCopy = m_copies.size();
    if (!place(pieces, at, &m_copies)) {
        m_copies.resize(firstCopy);
        return false;
    }
    m_shelves = at;
    if (m_frames.empty() && m_clipped) {
        const std::uint32_t none = XCB_NONE;
        xcb_change_gc(c, m_gc, XCB_GC_CLIP_MASK, &none);
        m_clipped = false;
    }
    // The uploads go now: the server takes them while the last batch still waits, so
    // that only the small waits and copies stay queued. Each request carries at most
    // 64 KB, well within what any server takes.
    for (std::size_t i = firstCopy; i < m_copies.size(); ++i) {
        const Copy &k = m_copies[i];
        const int strip = std::max(1, (64 << 10) / (4 * k.width));
        for (int top = 0; top < k.height; top += strip) {
            const int rows = std::min(strip, k.height - top);
            m_rows.resize(std::size_t(k.width) * rows);
            for (int row = 0; row < rows; ++row)
                std::memcpy(m_rows.data() + std::size_t(row) * k.width,
                            picture.constScanLine(k.toY + top + row) + std::size_t(k.toX) * 4,
                            std::size_t(k.width) * 4);
            xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, m_atlas, m_gc, k.width, std::uint16_t(rows),
                          k.fromX, std::int16_t(k.fromY + top), 0, m_depth,
                          std::uint32_t(m_rows.size() * 4),
                          reinterpret_cast<const std::uint8_t *>(m_rows.data()));
        }
    }
    m_frames.push_back({dueMs + m_serverMinusMonotonic, firstCopy});
    return !xcb_connection_has_error(c);
}

void ServerFrames::send()
{
    if (!m_connection || m_frames.empty())
        return;
    xcb_connection_t *c = conn(m_connection);
    for (std::size_t f = 0; f < m_frames.size(); ++f) {
        // Shown once the server clock reaches the frame's time, or at once by a cancel;
        // neither sends this program an event.
        xcb_sync_waitcondition_t wait[2] {};
        wait[0].trigger = {m_serverClock, XCB_SYNC_VALUETYPE_ABSOLUTE, syncValue(m_frames[f].serverMs),
                           XCB_SYNC_TESTTYPE_POSITIVE_COMPARISON};
        wait[1].trigger = {m_cancelCounter, XCB_SYNC_VALUETYPE_ABSOLUTE, syncValue(m_generation),
                           XCB_SYNC_TESTTYPE_POSITIVE_COMPARISON};
        wait[0].event_threshold = wait[1].event_threshold = syncValue(INT64_MAX);
        xcb_sync_await(c, 2, wait);
        const std::size_t end = f + 1 < m_frames.size() ? m_frames[f + 1].firstCopy : m_copies.size();
        for (std::size_t i = m_frames[f].firstCopy; i < end; ++i) {
            const Copy &k = m_copies[i];
            xcb_copy_area(c, m_atlas, xcb_window_t(m_window), m_gc, k.fromX, k.fromY, k.toX, k.toY,
                          k.width, k.height);
        }
    }
    xcb_flush(c);
    m_frames.clear();
    m_copies.clear();
    m_pending = true;
    // Nothing is asked of this connection; whatever the server sent (an error for a
    // window gone) is read and dropped so that it cannot pile up.
    while (xcb_generic_event_t *event = xcb_poll_for_event(c))
        std::free(event);
}

void ServerFrames::cancel()
{
    m_frames.clear();
    m_copies.clear();
    if (!m_pending)
        return;
    m_pending = false;
    xcb_connection_t *toolkit = toolkitConnection();
    if (!toolkit || !m_connection)
        return;
    // The copies still queued draw nothing, and their waits end now. The round trip
    // makes sure the server has done both before anything else is sent: the next batch
    // gives the copies their clip back on the other connection.
    xcb_set_clip_rectangles(toolkit, XCB_CLIP_ORDERING_UNSORTED, m_gc, 0, 0, 0, nullptr);
    xcb_sync_set_counter(toolkit, m_cancelCounter, syncValue(m_generation));
    std::free(xcb_get_input_focus_reply(toolkit, xcb_get_input_focus(toolkit), nullptr));
    ++m_generation;
    m_clipped = true;
}

} // namespace tivora
