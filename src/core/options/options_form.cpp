#include "core/options/options_form.h"

#include "core/base/int_text.h"
#include "core/options/clock_lines.h"

#include <algorithm>

namespace tivora {

OptionsFormValues formFromModel(const WidgetModel &model)
{
    const TOptions &options = model.options;
    OptionsFormValues form;
    form.showArray = options.ShowArray;
    form.showDigits = options.ShowDigits;
    form.showDate = options.ShowDate;
    form.showDesc = options.ShowDesc;
    form.showDelimiters = options.ShowDelimiters;
    form.showWhiteBG = options.ShowWhiteBG;
    form.showTextWhiteBG = options.ShowTextWhiteBG;
    form.showSystemTime = options.ShowSystemTime;
    form.sysTimeDesc = options.SysTimeDesc;
    form.widthText = std::to_string(options.Width);
    form.activeTr = options.ActiveTr;
    form.passiveTr = options.PassiveTr;
    form.lines = clockLines(model.clocks);
    form.zones = clockZones(model.clocks);
    return form;
}

void applyOptionsForm(const OptionsFormValues &form, WidgetModel &model)
{
    TOptions &options = model.options;
    TClockList &clocks = model.clocks;
    options.ShowArray = form.showArray;
    options.ShowDigits = form.showDigits;
    options.ShowDate = form.showDate;
    options.ShowDesc = form.showDesc;
    options.ShowWhiteBG = form.showWhiteBG;
    options.ShowTextWhiteBG = form.showTextWhiteBG;
    options.ShowSystemTime = form.showSystemTime;
    options.ShowDelimiters = form.showDelimiters;
    options.SysTimeDesc = form.sysTimeDesc;
    options.Width = std::uint8_t(StrToIntInRange(form.widthText, MinRowWidth, MaxRowWidth));
    options.ActiveTr = std::uint8_t(std::clamp(form.activeTr, 0, 255));
    options.PassiveTr = std::uint8_t(std::clamp(form.passiveTr, 0, 255));
    // Without a user clock the system time is the only face: it must stay visible.
    if (clocks.size() < 2)
        options.ShowSystemTime = true;

    TClockList rebuilt;
    rebuilt.reserve(form.lines.size() + 1);
    for (std::size_t i = 0; i < form.lines.size(); ++i) {
        TClock clock = readClockLine(form.lines[i]);
        if (i < form.zones.size())
            clock.zone = form.zones[i];
        rebuilt.push_back(std::move(clock));
    }
    rebuilt.push_back(TClock {0, 0, options.SysTimeDesc});
    clocks = std::move(rebuilt);
}

std::string opacityPercent(int position)
{
    return std::to_string(position * 100 / 255) + "%";
}

} // namespace tivora
