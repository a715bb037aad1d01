#pragma once

#include <functional>

class QObject;

namespace tivora {

// Runs the handler from the event loop on the polite termination signals (SIGTERM from
// a logout or `kill`, SIGHUP when the terminal goes away, SIGINT from Ctrl+C), so the
// program can close its window and save the settings as on every other way out instead
// of losing them. The handler lives as long as the receiver.
void onTerminationSignals(QObject *receiver, std::function<void()> handler);

} // namespace tivora
