#pragma once

#include "core/model/options.h"

namespace tivora {

// What the skin editor works on: the current skin's parameters and the window that
// shows them. The main window is the host; the editor needs nothing else of it.
class SkinHost
{
public:
    virtual TOptions &skinOptions() = 0;
    virtual void SaveSkin() = 0;
    virtual void SetFormSize() = 0;
    virtual void PaintClocks() = 0;
    // Shows the warning a failed save of the settings shows.
    virtual void warnSaveFailed() = 0;

protected:
    ~SkinHost() = default;
};

} // namespace tivora
