#include "core/i18n/language.h"

#include "core/base/ini_file.h"

#include <cstdio>

namespace tivora {

namespace {

constexpr const char *MenuSection = "Menu";
constexpr const char *MessageSection = "Lang";
constexpr const char *Separator = "-";

std::string hintKey(const std::string &name)
{
    return name + "_h";
}

std::string itemKey(const std::string &name, std::size_t index)
{
    return name + "_" + std::to_string(index);
}

std::string messageKey(int n)
{
    char key[16];
    std::snprintf(key, sizeof key, "Lang%.2d", n);
    return key;
}

// One run over one window, with the file open for its whole length.
class LanguagePass
{
public:
    LanguagePass(IniFile &ini, LangWindow &window, bool writeTemplate)
        : m_ini(ini), m_window(window), m_write(writeTemplate), m_section(window.name)
    { }

    void run()
    {
        if (m_write)
            m_ini.writeString(m_section, m_section, m_window.caption);
        m_window.caption = read(m_section, m_window.caption);
        if (m_window.messages) {
            loadMessages(*m_window.messages);
            for (LangMenuItem &item : m_window.menu)
                translateMenuItem(item);
        }
        for (LangComponent &c : m_window.components)
            translate(c);
    }

private:
    std::string read(const std::string &key, const std::string &current) const
    {
        return m_ini.readString(m_section, key, current);
    }

    void write(const std::string &key, const std::string &value)
    {
        m_ini.writeString(m_section, key, value);
    }

    void loadMessages(MessageTable &messages)
    {
        const MessageTable builtIn;
        messages = builtIn;
        for (int n = 1; n <= builtIn.count(); ++n)
            messages.setText(n, m_ini.readString(MessageSection, messageKey(n), builtIn.text(n)));
        if (!m_write)
            return;
        for (int n = 1; n <= messages.count(); ++n) {
            if (!messages.text(n).empty())
                m_ini.writeString(MessageSection, messageKey(n), messages.text(n));
        }
    }

    void translateMenuItem(LangMenuItem &item)
    {
        if (item.caption == Separator)
            return;
        // Read before writing, as for the messages: a template pass (started because
        // the main window's own section is missing) must not overwrite a menu that a
        // translator already translated.
        item.caption = m_ini.readString(MenuSection, item.name, item.caption);
        if (m_write)
            m_ini.writeString(MenuSection, item.name, item.caption);
        for (LangMenuItem &sub : item.items)
            translateMenuItem(sub);
    }

    void translate(LangComponent &c)
    {
        switch (c.kind) {
        case ComponentKind::Label:
        case ComponentKind::CheckBox:
        case ComponentKind::PushButton:
            if (m_write) {
                write(c.name, c.caption);
                write(hintKey(c.name), c.hint);
            }
            if (!m_ini.keyExists(m_section, c.name))
                return;
            c.caption = read(c.name, c.caption);
            c.hint = read(hintKey(c.name), c.hint);
            if (c.kind == ComponentKind::PushButton)
                c.showHint = !c.hint.empty();
            return;
        case ComponentKind::GroupBox:
            if (m_write)
                write(c.name, c.caption);
            if (m_ini.keyExists(m_section, c.name))
                c.caption = read(c.name, c.caption);
            return;
        case ComponentKind::ListBox:
        case ComponentKind::ComboBox:
            if (m_write)
                write(hintKey(c.name), c.hint);
            c.hint = read(hintKey(c.name), c.hint);
            c.showHint = !c.hint.empty();
            if (c.kind != ComponentKind::ComboBox)
                return;
            for (std::size_t i = 0; i < c.items.size(); ++i) {
                c.items[i] = read(itemKey(c.name, i), c.items[i]);
                if (m_write)
                    write(itemKey(c.name, i), c.items[i]);
            }
            return;
        case ComponentKind::Other:
            return;
        }
    }

    IniFile &m_ini;
    LangWindow &m_window;
    const bool m_write;
    const std::string m_section;
};

} // namespace

std::filesystem::path languageFile(const std::filesystem::path &dataDir)
{
    return dataDir / "langfile.lng";
}

void ApplyLanguage(const std::filesystem::path &file, LangWindow &window, bool writeTemplate)
{
    // A language file is a few kilobytes; a huge one would only hold up the window.
    std::error_code ec;
    if (const auto size = std::filesystem::file_size(file, ec); !ec && size > MaxLanguageFileSize) {
        std::fprintf(stderr,
                     "tivora: language file %s is over the limit of %ju bytes (4 MB); "
                     "using the built-in texts\n",
                     file.c_str(), std::uintmax_t(MaxLanguageFileSize));
        return;
    }
    {
        IniFile ini(file, MaxLanguageFileSize);
        // The language file is written only where it lies in the data folder.
        ini.confineWritesTo({file.has_parent_path() ? file.parent_path() : "."});
        if (writeTemplate || ini.sectionExists(window.name)) {
            LanguagePass(ini, window, writeTemplate).run();
            ini.close();
            return;
        }
    }
    ApplyLanguage(file, window, true);
    // Opened anew, so the reads see what the template run wrote.
    IniFile ini(file, MaxLanguageFileSize);
    LanguagePass(ini, window, false).run();
}

} // namespace tivora
