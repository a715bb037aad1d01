#pragma once

#include <cstdint>

namespace tivora {

// Keeps a top-level window off the taskbar and the pager. Call after the native window
// exists and before it is first shown. No effect without an X11 display.
void setSkipTaskbar(std::uintptr_t window);

} // namespace tivora
