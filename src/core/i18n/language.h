#pragma once

#include "core/i18n/lang_messages.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tivora {

// What the language pass does with a component. A toolkit adapter decides the kind by
// testing the component against the kinds in the order of this enumeration (first
// match wins); everything else is Other and left alone.
enum class ComponentKind { Label, CheckBox, GroupBox, PushButton, ListBox, ComboBox, Other };

// One component of a window as the language pass sees it.
struct LangComponent
{
    ComponentKind kind = ComponentKind::Other;
    std::string name;
    std::string caption;
    std::string hint;
    bool showHint = false; // whether the hint shows as a tool tip
    std::vector<std::string> items; // a combo box's items
};

// One popup-menu item; a caption of exactly "-" is a separator.
struct LangMenuItem
{
    std::string name;
    std::string caption;
    std::vector<LangMenuItem> items;
};

// A window as the language pass sees it: its name (the section), its caption and its
// components in creation order. The main window also hands over its message table and
// its popup menu; the pass treats a window with a message table as the main window.
struct LangWindow
{
    std::string name;
    std::string caption;
    std::vector<LangComponent> components;
    MessageTable *messages = nullptr;
    std::vector<LangMenuItem> menu;
};

// A larger language file is refused (a line on stderr) and the built-in texts stay.
inline constexpr std::uintmax_t MaxLanguageFileSize = std::uintmax_t(4) << 20;

// The language file in the data folder.
std::filesystem::path languageFile(const std::filesystem::path &dataDir);

// Translates the window from the language file, which is written only while its real
// path lies in its folder (the data folder). When the file holds no key for the
// window's section (a missing file, a missing section, an empty header), the window's
// current texts are first written there as a template and read back. Section and key
// names match without regard to case; a missing key leaves its text unchanged.
//
// Throws IniWriteError at the first write that fails. Texts read before the failure
// stay in `window`; the caller keeps them and skips the rest of its creation.
void ApplyLanguage(const std::filesystem::path &file, LangWindow &window,
                   bool writeTemplate = false);

} // namespace tivora
