#pragma once

#include "core/model/widget_model.h"

#include <string>
#include <vector>

namespace tivora {

// Range of the "clock faces per row" field.
inline constexpr int MinRowWidth = 1;
inline constexpr int MaxRowWidth = 20;

// What the options dialog holds when OK is pressed: its controls are the working copy.
struct OptionsFormValues
{
    bool showArray = true;
    bool showDigits = true;
    bool showDate = true;
    bool showDesc = true;
    bool showDelimiters = false;
    bool showWhiteBG = false;
    bool showTextWhiteBG = false;
    bool showSystemTime = true;
    std::string sysTimeDesc;
    std::string widthText; // as typed: it may be empty or pasted text
    int activeTr = 255;
    int passiveTr = 255;
    std::vector<std::string> lines; // the clock lines, in the list's order
    // The zone of each line (empty for a fixed-offset clock); a line without an entry
    // here has none.
    std::vector<std::string> zones;
};

// Which control of the options dialog (by its name) shows and edits which value of the
// form. The dialog fills its controls and reads them back through these tables only,
// so the two directions cannot disagree.
template<class T> struct FormControl
{
    const char *name;
    T OptionsFormValues::*value;
};
inline constexpr FormControl<bool> FormCheckBoxes[] = {
    {"cb1", &OptionsFormValues::showArray},       {"cb2", &OptionsFormValues::showDigits},
    {"cb3", &OptionsFormValues::showDate},        {"cb4", &OptionsFormValues::showDesc},
    {"cb6", &OptionsFormValues::showDelimiters},  {"cb7", &OptionsFormValues::showWhiteBG},
    {"cb8", &OptionsFormValues::showTextWhiteBG}, {"cb9", &OptionsFormValues::showSystemTime},
};
inline constexpr FormControl<std::string> FormTexts[] = {
    {"e4", &OptionsFormValues::sysTimeDesc},
    {"cwidth", &OptionsFormValues::widthText},
};
inline constexpr FormControl<int> FormSliders[] = {
    {"tb1", &OptionsFormValues::activeTr},
    {"tb2", &OptionsFormValues::passiveTr},
};

// The form as the dialog fills it when it opens (without the window's stay-on-top
// state, which the window itself holds).
OptionsFormValues formFromModel(const WidgetModel &model);

// OK's copy into the model: the form's values into the options, and the clock list
// replaced by one entry per line (with the line's zone) in line order, then the
// system-time entry. With only the system-time entry in the list before (no user clock
// when the dialog opened), ShowSystemTime is forced on. The list is left in line order:
// it is saved so, and sorted when the window is resized.
void applyOptionsForm(const OptionsFormValues &form, WidgetModel &model);

// The label beside an opacity slider: the position in percent of 255, rounded down.
std::string opacityPercent(int position);

} // namespace tivora
