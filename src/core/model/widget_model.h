#pragma once

#include "core/model/settings.h"
#include "core/i18n/lang_messages.h"
#include "core/render/clock_grid.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tivora {

class Bitmap;

// What the widget's load and save sequences act on: the window and the skin, which
// live in the toolkit. The main window implements it; tests record the calls.
class WidgetView
{
public:
    virtual ~WidgetView() = default;
    // Where the window stands now and whether it stays on top.
    virtual WindowPlacement placement() const = 0;
    virtual void applyPlacement(const WindowPlacement &placement) = 0;
    // Loads the current skin (image and parameters) into the options; throws when the
    // image cannot be loaded.
    virtual void loadSkin() = 0;
    // Draws with the built-in face and its parameters instead, after loadSkin() failed
    // for the reason given; says so on the error output.
    virtual void useBuiltInSkin(const std::string &reason) = 0;
    // Writes the skin's parameter file; throws when it cannot.
    virtual void saveSkin() = 0;
    virtual void setOpacitySwitch(bool on) = 0;
    // Shows the tray icon and starts the one-second timer.
    virtual void startTicking() = 0;
    virtual void warn(const std::string &title, const std::string &text) = 0;
};

// The widget's data and rules, without the toolkit: the options (with the skin's
// parameters), the clock list and the message table, and the load, save, opacity,
// window-size and minimize rules the main window acts on. The options dialog works on
// it by reference.
class WidgetModel
{
public:
    // Largest window side; absurd settings (thousands of clocks, huge cells) are cut
    // to this instead of allocating gigabytes.
    static constexpr int MaxSide = 8192;
    // The window's opacity until the first repaint sets the one the cursor asks for.
    static constexpr int InitialOpacity = 200;

    WidgetModel(std::filesystem::path dataDir, std::filesystem::path settingsPath);

    TOptions options;
    TClockList clocks;
    MessageTable LangMessages;

    const std::filesystem::path &dataDir() const { return m_dataDir; }
    const std::filesystem::path &settingsPath() const { return m_settingsPath; }

    // The load sequence of the window's creation: settings and clock list (placement
    // defaults are where the window stands), the placement applied, the skin, the
    // opacity switch, system time forced on when it is the only clock, the timer. A
    // skin that cannot be loaded is replaced by the built-in one and the sequence goes
    // on, so the clocks stay legible and keep ticking; any other error ends the
    // sequence at that step and propagates.
    void load(WidgetView &view);

    // Writes the settings, the clock list and the skin's parameters. A failure is
    // reported through the view's warning with message 1 and goes no further.
    // Returns whether everything was written.
    bool save(WidgetView &view);
    // The warning of a failed save: message 1.
    void warnSaveFailed(WidgetView &view) const;

    // Opacity: on unless both settings are opaque; its value follows the cursor.
    bool opacityWanted() const { return options.ActiveTr != 255 || options.PassiveTr != 255; }
    // Switches opacity on or off; returns the window opacity (0..255) to apply.
    int setOpacitySwitch(bool on);
    bool opacitySwitch() const { return m_alphaBlend; }
    int opacityValue() const { return m_alphaValue; }
    // The opacity a repaint must set for the cursor's position, or nothing when the
    // switch is off or the window has that opacity already.
    std::optional<int> opacityFor(bool cursorOver);

    // SetFormSize's rule: cells of at least 10 pixels, the grid the list needs, each
    // side within 1..MaxSide; the clock list is re-sorted.
    GridSize formSize();
    // The window's background: the skin's top-left pixel, white without a skin.
    static Color backgroundColor(const Bitmap *skin);

    // Whether the application's minimize operation hides the windows: not when they
    // are hidden already, and not without a notification area to bring them back.
    static bool shouldMinimize(bool minimized, bool trayAvailable);

    // Whether the command line asks to close the other instances first.
    static bool closeOthersRequested(const std::vector<std::string> &arguments);

    // The character between hour and minute in a locale's time format ("HH:mm:ss"),
    // ":" when the format shows none there.
    static std::string timeSeparatorOf(std::string_view timeFormat);

private:
    std::filesystem::path m_dataDir;
    std::filesystem::path m_settingsPath;
    bool m_alphaBlend = false;
    int m_alphaValue = InitialOpacity;
};

} // namespace tivora
