#pragma once

namespace tivora {

// Where no D-Bus session bus runs (no address in the environment and no socket in the
// user's runtime folder), sets an address that cannot be reached, so that no library
// starts a bus of its own; where one runs, nothing changes. Call before the toolkit
// starts.
void keepFromLaunchingSessionBus();

} // namespace tivora
