#pragma once

#include <xcb/xcb.h>

namespace tivora {

// The toolkit's own connection to the X server, or null when the program does not run
// on X11 (the offscreen platform, or before the application exists). Using it spares
// the server a second connection.
xcb_connection_t *toolkitConnection();

} // namespace tivora
