#pragma once

#include <exception>
#include <utility>

namespace tivora {

// The application-wide exception hook: runs one event handler's body; the first error
// ends the body's remaining steps and is dropped, so the program carries on with the
// next event. No exception may cross into the toolkit's event loop.
template<class Body> bool guarded(Body &&body) noexcept
{
    try {
        std::forward<Body>(body)();
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace tivora
