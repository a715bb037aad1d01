#pragma once

namespace tivora {

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
