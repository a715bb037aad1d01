#pragma once

#include <exception>
#include <utility>

namespace tivora {

// Writes the dropped error to stderr when TIVORA_DEBUG is set; silent otherwise.
void traceDroppedError(std::exception_ptr error) noexcept;

// The application-wide exception hook: runs one event handler's body; the first error
// ends the body's remaining steps and is dropped, so the program carries on with the
// next event. No exception may cross into the toolkit's event loop.
template<class Body> bool guarded(Body &&body) noexcept
{
    try {
        std::forward<Body>(body)();
        return true;
    } catch (...) {
        traceDroppedError(std::current_exception());
        return false;
    }
}

} // namespace tivora
