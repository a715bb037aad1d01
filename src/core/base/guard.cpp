#include "core/base/guard.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace tivora {

void traceDroppedError(std::exception_ptr error) noexcept
{
    static const bool enabled = [] {
        const char *value = std::getenv("TIVORA_DEBUG");
        return value && *value;
    }();
    if (!enabled)
        return;
    try {
        std::rethrow_exception(error);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "tivora: dropped error: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "tivora: dropped error of an unknown kind\n");
    }
}

} // namespace tivora
