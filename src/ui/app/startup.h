#pragma once

namespace tivora {

// The program's entry: manifest and first-start relaunch, display checks, the
// application and main windows, the message loop; or one snapshot picture.
int runTivora(int argc, char **argv);

} // namespace tivora
