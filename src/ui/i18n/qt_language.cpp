#include "ui/i18n/qt_language.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QVariant>
#include <QWidget>

namespace tivora {

namespace {

constexpr const char *HintProperty = "hint";
constexpr const char *ShowHintProperty = "showHint";

std::string toStd(const QString &text)
{
    return text.toStdString();
}

QString toQt(const std::string &text)
{
    return QString::fromStdString(text);
}

QString caption(const QWidget *w)
{
    if (const auto *label = qobject_cast<const QLabel *>(w))
        return label->text();
    if (const auto *box = qobject_cast<const QGroupBox *>(w))
        return box->title();
    if (const auto *button = qobject_cast<const QAbstractButton *>(w))
        return button->text();
    return {};
}

void setCaption(QWidget *w, const QString &text)
{
    if (auto *label = qobject_cast<QLabel *>(w))
        label->setText(text);
    else if (auto *box = qobject_cast<QGroupBox *>(w))
        box->setTitle(text);
    else if (auto *button = qobject_cast<QAbstractButton *>(w))
        button->setText(text);
}

// Every named widget under parent that the pass handles, depth first in child order.
// Names that start with "qt_" belong to the toolkit's own inner widgets.
void collect(QWidget *parent, std::vector<QWidget *> &out)
{
    for (QObject *child : parent->children()) {
        auto *w = qobject_cast<QWidget *>(child);
        if (!w || w->isWindow())
            continue;
        const QString name = w->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_"))
            && componentKind(w) != ComponentKind::Other)
            out.push_back(w);
        collect(w, out);
    }
}

LangComponent describe(QWidget *w)
{
    LangComponent c;
    c.kind = componentKind(w);
    c.name = toStd(w->objectName());
    c.caption = toStd(caption(w));
    c.hint = toStd(widgetHint(w));
    c.showHint = widgetShowsHint(w);
    if (const auto *combo = qobject_cast<const QComboBox *>(w)) {
        for (int i = 0; i < combo->count(); ++i)
            c.items.push_back(toStd(combo->itemText(i)));
    }
    return c;
}

void update(QWidget *w, const LangComponent &c)
{
    if (c.kind != ComponentKind::ListBox && c.kind != ComponentKind::ComboBox)
        setCaption(w, toQt(c.caption));
    setWidgetHint(w, toQt(c.hint), c.showHint);
    if (auto *combo = qobject_cast<QComboBox *>(w)) {
        for (int i = 0; i < combo->count() && std::size_t(i) < c.items.size(); ++i)
            combo->setItemText(i, toQt(c.items[std::size_t(i)]));
    }
}

std::vector<LangMenuItem> describeMenu(const QList<QAction *> &actions)
{
    std::vector<LangMenuItem> items;
    for (const QAction *a : actions) {
        LangMenuItem item {toStd(a->objectName()), a->isSeparator() ? "-" : toStd(a->text()), {}};
        if (a->menu())
            item.items = describeMenu(a->menu()->actions());
        items.push_back(std::move(item));
    }
    return items;
}

void updateMenu(const QList<QAction *> &actions, const std::vector<LangMenuItem> &items)
{
    for (qsizetype i = 0; i < actions.size() && std::size_t(i) < items.size(); ++i) {
        QAction *a = actions[i];
        const LangMenuItem &item = items[std::size_t(i)];
        if (a->isSeparator())
            continue;
        a->setText(toQt(item.caption));
        if (a->menu())
            updateMenu(a->menu()->actions(), item.items);
    }
}

} // namespace

void setBuiltInTexts(QWidget *window, std::span<const BuiltInText> texts)
{
    for (const BuiltInText &t : texts) {
        const QString name = QString::fromUtf8(t.name);
        const QString text = QString::fromUtf8(t.caption);
        if (name == window->objectName()) {
            window->setWindowTitle(text);
        } else if (auto *w = window->findChild<QWidget *>(name)) {
            setCaption(w, text);
            if (auto *combo = qobject_cast<QComboBox *>(w)) {
                combo->clear();
                combo->addItems(t.items);
            }
        } else if (auto *action = window->findChild<QAction *>(name)) {
            action->setText(text);
        } else {
            Q_ASSERT_X(false, "setBuiltInTexts", t.name);
        }
    }
}

ComponentKind componentKind(const QWidget *w)
{
    if (qobject_cast<const QLabel *>(w))
        return ComponentKind::Label;
    if (qobject_cast<const QCheckBox *>(w))
        return ComponentKind::CheckBox;
    if (qobject_cast<const QGroupBox *>(w))
        return ComponentKind::GroupBox;
    if (qobject_cast<const QPushButton *>(w))
        return ComponentKind::PushButton;
    if (qobject_cast<const QListView *>(w))
        return ComponentKind::ListBox;
    if (qobject_cast<const QComboBox *>(w))
        return ComponentKind::ComboBox;
    return ComponentKind::Other;
}

QString widgetHint(const QWidget *w)
{
    return w->property(HintProperty).toString();
}

bool widgetShowsHint(const QWidget *w)
{
    return w->property(ShowHintProperty).toBool();
}

void setWidgetHint(QWidget *w, const QString &hint, bool show)
{
    w->setProperty(HintProperty, hint);
    w->setProperty(ShowHintProperty, show);
    w->setToolTip(show ? hint : QString());
}

void applyLanguage(QWidget *window, const std::filesystem::path &file, MessageTable *messages,
                   QMenu *menu)
{
    std::vector<QWidget *> widgets;
    collect(window, widgets);

    LangWindow model;
    model.name = toStd(window->objectName());
    model.caption = toStd(window->windowTitle());
    model.messages = messages;
    if (menu)
        model.menu = describeMenu(menu->actions());
    for (QWidget *w : widgets)
        model.components.push_back(describe(w));

    // What was read before a failure shows as well.
    const auto writeBack = [&] {
        window->setWindowTitle(toQt(model.caption));
        if (menu)
            updateMenu(menu->actions(), model.menu);
        for (std::size_t i = 0; i < widgets.size(); ++i)
            update(widgets[i], model.components[i]);
    };
    try {
        ApplyLanguage(file, model);
    } catch (...) {
        writeBack();
        throw;
    }
    writeBack();
}

} // namespace tivora
