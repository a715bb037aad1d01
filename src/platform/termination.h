#pragma once

class QWidget;

namespace tivora {

// Turns the polite termination signals (SIGTERM from a logout or `kill`, SIGHUP when the
// terminal goes away, SIGINT from Ctrl+C) into a close of the window, so the settings
// are saved as on every other way out instead of being lost.
void closeOnTerminationSignals(QWidget *window);

} // namespace tivora
