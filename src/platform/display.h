#pragma once

namespace tivora {

// Picks the toolkit's platform before the application exists: the widget places itself
// and reads the global cursor, which needs the window system it is built for. A platform
// asked for that could not do that is replaced, with a note on stderr. When the display
// cannot be reached, the toolkit falls back to painting off-screen, which only a
// snapshot can use. False when there is no display to try and no snapshot.
bool choosePlatform(bool snapshot);

// Whether the application runs on the display it was meant for, not the fallback.
bool onDisplay();

// Why no display could be used, for a message: none named, or the one named not reached.
const char *whyNoDisplay();

// Whether a toolkit log category is the one in which it complains about a display it
// cannot reach.
bool isDisplayComplaint(const char *category);

} // namespace tivora
