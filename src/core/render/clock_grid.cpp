#include "core/render/clock_grid.h"

#include "core/base/int_clamp.h"

#include <algorithm>

namespace tivora {

namespace {

constexpr std::uint16_t MinCellSize = 10;

// How far above its cell's top a face can draw: hands above a high pivot, texts placed
// above the cell, and a pixel for wide pens and the text boxes.
long long reachAboveCell(const TOptions &o)
{
    const long long longestHand = std::max({o.hLen, o.mLen, o.sLen});
    return std::max(
        {0LL, longestHand + 2 - o.strlY, 2LL - o.DigposY, 2LL - o.DateposY, 2LL - o.DescposY});
}

} // namespace

GridSize fitGrid(TOptions &options, const TClockList &clocks)
{
    // The raised values stay in the skin parameters, so the next save writes them.
    options.cHeight = std::max(options.cHeight, MinCellSize);
    options.cWindth = std::max(options.cWindth, MinCellSize);

    long long n = static_cast<long long>(clocks.size());
    // The hidden system-time entry takes no cell. The list always holds one; when a list
    // holds none there is nothing hidden, and taking one off would push the last face
    // outside the window.
    const bool hasSystemEntry =
        std::any_of(clocks.begin(), clocks.end(), [](const TClock &c) { return c.isSystemTime(); });
    if (!options.ShowSystemTime && hasSystemEntry)
        --n;

    GridSize g;
    if (n <= 0) {
        // Nothing to show: keep one empty cell rather than a window of no size, which a
        // window system cannot show.
        g.columns = 1;
        g.rows = 1;
    } else if (options.Width == 0) {
        // Width 0 can only come from a hand-edited file. The layout then starts a new row
        // after every face, so the window is one column of n faces.
        g.columns = 1;
        g.rows = clampToInt(n);
    } else {
        g.columns = clampToInt(std::min<long long>(n, options.Width));
        g.rows = clampToInt((n + options.Width - 1) / options.Width);
    }
    g.width = clampToInt(static_cast<long long>(g.columns) * options.cWindth);
    g.height = clampToInt(static_cast<long long>(g.rows) * options.cHeight);
    return g;
}

void composeGrid(Canvas &canvas, const FaceContext &ctx, const TClockList &clocks)
{
    const TOptions &o = ctx.options;
    // Rows grow downwards, so once a row starts below everything its faces could draw
    // into, no later face can show either; a list of thousands of clocks in a window cut
    // to the largest size then costs no more than the faces that are seen. Every face
    // leaves the drawing state the same way, so skipping them changes nothing on screen.
    const long long lastVisibleTop = canvas.height() + reachAboveCell(o);

    // The background takes whatever fill colour the last face left behind.
    canvas.setBrush({canvas.brush().color, true});
    canvas.fillRect(0, 0, canvas.width(), canvas.height());

    // The shift of scrubbed clocks is shown by the system-time face where it shows its
    // description, otherwise by the first face.
    const TClock *carrier = nullptr;
    if (ctx.scrubbed) {
        for (const TClock &entry : clocks) {
            if (!o.ShowSystemTime && entry.isSystemTime())
                continue;
            if (!carrier)
                carrier = &entry;
            if (o.ShowDesc && entry.isSystemTime()) {
                carrier = &entry;
                break;
            }
        }
    }

    long long column = 0;
    long long row = 0;
    for (const TClock &entry : clocks) {
        if (!o.ShowSystemTime && entry.isSystemTime())
            continue;
        if (row * o.cHeight >= lastVisibleTop && row > 0)
            break;
        try {
            // A row wider than the window (a window cut to its largest size) leaves the
            // faces past its right edge unseen; like the rows below, they are not painted.
            const long long left = column * o.cWindth;
            const bool carries = &entry == carrier;
            if (left < canvas.width()
                || left - reachLeftOfCell(canvas, ctx, entry, carries) < canvas.width())
                PaintClock(canvas, ctx, clampToInt(left), clampToInt(row * o.cHeight), entry,
                           carries);
        } catch (...) {
            // A face that fails ends where it failed; the other faces are still painted.
        }
        ++column;
        if (column >= o.Width) {
            column = 0;
            ++row;
        }
    }
}

bool cursorOverWindow(int cx, int cy, int left, int top, int width, int height)
{
    const long long x = cx;
    const long long y = cy;
    return left <= x && x <= static_cast<long long>(left) + width && top <= y
        && y <= static_cast<long long>(top) + height;
}

} // namespace tivora
