#pragma once

namespace tivora {

// A pixel position: a window's top-left corner on the desktop, or a point in a picture.
struct Point
{
    int x = 0;
    int y = 0;
    bool operator==(const Point &) const = default;
};

// A rectangle of pixels from (left, top) to (right, bottom), right and bottom excluded.
struct Box
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool empty() const { return right <= left || bottom <= top; }
    bool operator==(const Box &) const = default;
};

} // namespace tivora
