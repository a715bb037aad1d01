#pragma once

#include <cstdint>
#include <string>

namespace tivora {

// Asks every top-level window titled exactly `title` (other than `ownWindow`) to close,
// one after the other, and waits, bounded per window, until each is gone. Returns the
// number of windows asked. Without a window system there is nobody to ask.
int closeWindowsTitled(const std::string &title, std::uintptr_t ownWindow);

} // namespace tivora
