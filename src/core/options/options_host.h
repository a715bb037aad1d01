#pragma once

#include "core/skins/skin_host.h"

namespace tivora {

// What the options dialog works on besides the widget model: the window that shows the
// clocks. The main window is the host; the dialog needs nothing else of it, and hands
// the same host to its skin editor.
class OptionsHost : public SkinHost
{
public:
    virtual bool stayOnTop() const = 0;
    virtual void setStayOnTop(bool onTop) = 0;
    // The menu item that opens the dialog: disabled while the dialog is open.
    virtual void setOptionsItemEnabled(bool enabled) = 0;
    // The clock's tick, held while OK copies the form into the model.
    virtual void holdClock() = 0;
    virtual void resumeClock() = 0;
    virtual void SaveOptions() = 0;
    // Throws when the skin named in the options cannot be loaded.
    virtual void LoadSkin() = 0;
    virtual void setOpacitySwitch(bool on) = 0;

protected:
    ~OptionsHost() = default;
};

} // namespace tivora
