#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QImage;

namespace tivora {

// Changes of a window's picture that the window system shows at set times while the
// program sleeps. The pixels of each change are uploaded at once into a picture the
// window system keeps (an atlas of fixed size); the copies onto the window wait in the
// window system, each behind a wait for its time on the window system's own clock, on a
// connection of their own so that the program's other requests never wait with them.
// A program that knows its next pictures so wakes once for many of them.
//
// Without an X11 display, without the synchronisation extension and its server clock,
// or for a window whose pixels are not 32 bits in this machine's byte order, open()
// says no and the program paints as it always did.
class ServerFrames
{
public:
    // A rectangle of the window, in its pixels.
    struct Piece
    {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
    };

    ServerFrames();
    ServerFrames(const ServerFrames &) = delete;
    ServerFrames &operator=(const ServerFrames &) = delete;
    ~ServerFrames();

    // Readies frames for a window of the given size in pixels, whose atlas holds at most
    // atlasBytes. True when the window system can show them; a window or size other than
    // the last one starts over. The first call takes a few round trips, later ones none.
    bool open(std::uintptr_t window, int width, int height, std::size_t atlasBytes);
    // Adds a frame to the batch being made: the pieces of the picture (a 32-bit image of
    // the window's size) shown at dueMs on the monotonic clock (CLOCK_MONOTONIC, in
    // milliseconds). Their pixels are uploaded now. False, and nothing added, when the
    // atlas has no room left for them (or the connection failed): the batch ends before
    // this frame.
    bool add(std::int64_t dueMs, const QImage &picture, const std::vector<Piece> &pieces);
    // Whether add() would find room for the pieces.
    bool fits(const std::vector<Piece> &pieces) const;
    // Sends the batch's waits and copies. The atlas is reused by the next batch, which
    // the window system starts once this one's last frame is shown.
    void send();
    // Drops every frame not shown yet, at once: the window shows the last one shown, and
    // the program paints from there. Sent on the toolkit's connection, so that what the
    // toolkit paints next reaches the window after it.
    void cancel();
    // Frames are waiting to be shown, or were until they were due.
    bool pending() const { return m_pending; }
    // Called when part of the window is uncovered while frames are pending, before the
    // toolkit hands the window the pixels of its buffer, which the frames may have left
    // behind or gone ahead of.
    void onExposed(std::function<void()> exposed);

private:
    struct Copy
    {
        std::int16_t fromX, fromY, toX, toY;
        std::uint16_t width, height;
    };
    struct Frame
    {
        std::int64_t serverMs;
        std::size_t firstCopy;
    };

    class ExposeFilter;

    // Shelf packing of the atlas: the shelf being filled, from its top, and how far.
    struct Shelves
    {
        int top = 0;
        int height = 0;
        int x = 0;
    };

    bool connect();
    // Places the pieces in the atlas after `at`, moving it on; false when one has no room.
    bool place(const std::vector<Piece> &pieces, Shelves &at, std::vector<Copy> *copies) const;
    void close();
    void dropAtlas();

    void *m_connection = nullptr; // xcb_connection_t of the frames
    std::uint32_t m_serverClock = 0; // the server's millisecond counter
    std::uint32_t m_cancelCounter = 0; // set by cancel() to release the waits at once
    std::int64_t m_generation = 1; // the cancel counter's value that releases this batch
    std::int64_t m_serverMinusMonotonic = 0;
    bool m_clipped = false; // the copies' clip was emptied by a cancel
    bool m_failed = false; // the window system cannot do it: no further tries
    bool m_pending = false;
    std::uintptr_t m_window = 0;
    std::uint32_t m_gc = 0;
    std::uint32_t m_atlas = 0;
    std::uint8_t m_depth = 0; // of the window and the atlas
    int m_width = 0;
    int m_height = 0;
    int m_atlasWidth = 0;
    int m_atlasHeight = 0;
    Shelves m_shelves; // of the batch being made
    std::vector<Frame> m_frames;
    std::vector<Copy> m_copies;
    std::vector<std::uint32_t> m_rows; // one piece's pixels, row after row
    std::unique_ptr<ExposeFilter> m_exposeFilter;
};

} // namespace tivora
