#include "core/model/widget_model.h"

#include "core/base/ini_file.h"
#include "core/render/canvas.h"

#include <algorithm>
#include <exception>

namespace tivora {

WidgetModel::WidgetModel(std::filesystem::path dataDir, std::filesystem::path settingsPath)
    : m_dataDir(std::move(dataDir)), m_settingsPath(std::move(settingsPath))
{ }

void WidgetModel::load(WidgetView &view)
{
    WindowPlacement placement = view.placement();
    {
        IniFile ini(m_settingsPath);
        loadSettings(ini, options, placement, clocks);
    }
    view.applyPlacement(placement);
    try {
        view.loadSkin();
    } catch (const std::exception &e) {
        view.useBuiltInSkin(e.what());
    }
    view.setOpacitySwitch(opacityWanted());
    if (clocks.size() == 1)
        options.ShowSystemTime = true;
    view.startTicking();
}

bool WidgetModel::save(WidgetView &view)
{
    try {
        {
            IniFile ini(m_settingsPath);
            writeSettings(ini, options, view.placement(), clocks);
            ini.close();
        }
        view.saveSkin();
        return true;
    } catch (...) {
        warnSaveFailed(view);
        return false;
    }
}

void WidgetModel::warnSaveFailed(WidgetView &view) const
{
    view.warn(LangMessages.text(WarningTitle), LangMessages.text(SaveFailedMessage));
}

int WidgetModel::setOpacitySwitch(bool on)
{
    m_alphaBlend = on;
    return on ? m_alphaValue : 255;
}

std::optional<int> WidgetModel::opacityFor(bool cursorOver)
{
    if (!m_alphaBlend)
        return std::nullopt;
    const int wanted = cursorOver ? options.ActiveTr : options.PassiveTr;
    if (wanted == m_alphaValue)
        return std::nullopt;
    m_alphaValue = wanted;
    return wanted;
}

GridSize WidgetModel::formSize()
{
    GridSize grid = fitGrid(options, clocks);
    grid.width = std::clamp(grid.width, 1, MaxSide);
    grid.height = std::clamp(grid.height, 1, MaxSide);
    SortClocks(clocks);
    return grid;
}

Color WidgetModel::backgroundColor(const Bitmap *skin)
{
    if (!skin || skin->width() <= 0 || skin->height() <= 0)
        return White;
    return skin->pixel(0, 0);
}

bool WidgetModel::shouldMinimize(bool minimized, bool trayAvailable)
{
    return !minimized && trayAvailable;
}

bool WidgetModel::closeOthersRequested(const std::vector<std::string> &arguments)
{
    return !arguments.empty() && arguments.front() == "/close";
}

std::string WidgetModel::timeSeparatorOf(std::string_view format)
{
    const std::size_t h = format.find_first_of("hH");
    if (h == std::string_view::npos)
        return ":";
    std::size_t i = h;
    while (i < format.size() && (format[i] == 'h' || format[i] == 'H'))
        ++i;
    if (i == format.size())
        return ":";
    const unsigned char c = static_cast<unsigned char>(format[i]);
    if (c < 0x80) {
        const bool alnum = (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z');
        return alnum || c == ' ' || c == '\'' ? std::string(":") : std::string(1, char(c));
    }
    // A character outside ASCII: letters of other scripts ("時") are no separator; the
    // few non-ASCII punctuation marks a locale might use are not worth a table here.
    return ":";
}

} // namespace tivora
