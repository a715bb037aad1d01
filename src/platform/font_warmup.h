#pragma once

namespace tivora {

// The window's first picture draws text, and the toolkit reads the system's font
// configuration and font list the first time it needs a font: tens of milliseconds before
// the window can be shown. Started before the application exists, that reading runs on a
// thread of its own beside the toolkit's start; the toolkit then finds it done.
void startFontWarmUp();
// Waits for the reading to end (at once when it has): called before the first font is
// used. Safe to call without a start, and more than once.
void finishFontWarmUp();

} // namespace tivora
