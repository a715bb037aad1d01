#include "core/i18n/lang_messages.h"

namespace tivora {

MessageTable::MessageTable()
    : m_texts {
        "Не удалось сохранить настройки", // 1: the settings could not be saved
        "Шрифт", // 2: font
        "Цвет:", // 3: colour
        "Выбрать...", // 4: choose
        "Цвет", // 5: colour
        "Warning", // 6: the warning box's title, as the desktop names it
    }
{
    setText(MsgLater, "+{h}:{mm}");
    setText(MsgLaterDays, "+{d} д {h}:{mm}");
    setText(MsgEarlier, "\u2212{h}:{mm}");
    setText(MsgEarlierDays, "\u2212{d} д {h}:{mm}");
}

const std::string &MessageTable::text(int n) const
{
    static const std::string empty;
    if (n < 1 || n > count())
        return empty;
    return m_texts[std::size_t(n - 1)];
}

void MessageTable::setText(int n, std::string text)
{
    if (n < 1)
        return;
    if (n > count())
        m_texts.resize(std::size_t(n));
    m_texts[std::size_t(n - 1)] = std::move(text);
}

} // namespace tivora
