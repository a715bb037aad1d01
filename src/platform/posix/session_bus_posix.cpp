#include "platform/session_bus.h"

#include <cstdlib>
#include <string>
#include <sys/stat.h>

namespace tivora {

void keepFromLaunchingSessionBus()
{
    const char *address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address)
        return;
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st
    {
    };
    if (runtime && *runtime && stat((std::string(runtime) + "/bus").c_str(), &st) == 0
        && S_ISSOCK(st.st_mode))
        return;
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
}

} // namespace tivora
