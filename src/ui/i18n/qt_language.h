#pragma once

#include "core/i18n/language.h"

#include <QStringList>
#include <filesystem>
#include <span>

class QMenu;
class QWidget;

namespace tivora {

// A built-in text of a window: the caption of the named component (for the window's
// own name, the window caption) and, for a combo box, its fixed items.
struct BuiltInText
{
    const char *name;
    const char *caption;
    QStringList items = {};
};

// Gives the window and its named components and menu items their built-in texts.
void setBuiltInTexts(QWidget *window, std::span<const BuiltInText> texts);

// The language pass's kind of a widget: the first of label, check box, group box, push
// button, list box and combo box that it is, else Other.
ComponentKind componentKind(const QWidget *widget);

// A widget's hint and its show-hint switch. The hint is the widget's tool tip only
// while the switch is on; with the switch off it is kept but not shown.
QString widgetHint(const QWidget *widget);
bool widgetShowsHint(const QWidget *widget);
void setWidgetHint(QWidget *widget, const QString &hint, bool show);

// Translates a window from the language file (see ApplyLanguage): its caption, and
// every named widget it owns, visited depth first in the order the widgets were made
// children, without entering other windows (menus, dialogs). A window keeps the pass's
// order when each control is created with its parent, in the order of its layout.
// The main window also passes its message table and its popup menu.
//
// Throws where ApplyLanguage throws; the texts read until then are kept.
void applyLanguage(QWidget *window, const std::filesystem::path &file,
                   MessageTable *messages = nullptr, QMenu *menu = nullptr);

} // namespace tivora
