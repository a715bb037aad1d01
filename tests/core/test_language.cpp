#include "core/base/ini_file.h"
#include "core/i18n/language.h"

#include "core/test_base_support.h"

using namespace tivora;
using Kind = ComponentKind;

namespace {

// The template of the messages after the first, in the order they are written.
const std::string MoreMessages =
    "Lang02=Шрифт\nLang03=Цвет:\nLang04=Выбрать...\nLang05=Цвет\nLang06=Warning\n"
    "Lang10=+{h}:{mm}\nLang11=+{d} д {h}:{mm}\n"
    "Lang12=\u2212{h}:{mm}\nLang13=\u2212{d} д {h}:{mm}\n";

class Language : public tivora::testing::ScratchFolder
{
protected:
    std::filesystem::path file() const { return languageFile(dir); }

    LangWindow mainWindow()
    {
        LangWindow w {"Form1", "Form1", {}, &messages, {}};
        w.menu = {{"N11", "Показать", {}},
                  {"N1", "Настройки", {}},
                  {"N3", "-", {{"N31", "Под", {}}}},
                  {"N4", "Выход", {}}};
        return w;
    }

    // A dialog with one component of each kind, in creation order.
    static LangWindow dialog()
    {
        return {"Form2",
                "Опции",
                {
                    {Kind::PushButton, "Button1", "OK", "", false, {}},
                    {Kind::GroupBox, "GroupBox1", " Часы ", "", false, {}},
                    {Kind::Label, "Label1", "Город", "", false, {}},
                    {Kind::ListBox, "lb1", "", "", false, {}},
                    {Kind::Other, "Edit1", "text", "", false, {}},
                    {Kind::CheckBox, "CheckBox1", "Поверх", "", false, {}},
                    {Kind::ComboBox, "tAl", "", "", false, {"Слева", "Справа"}},
                },
                nullptr,
                {}};
    }

    static const LangComponent &component(const LangWindow &w, const std::string &name)
    {
        for (const LangComponent &c : w.components) {
            if (c.name == name)
                return c;
        }
        throw std::logic_error("no component " + name);
    }

    static std::vector<std::string> captions(const std::vector<LangMenuItem> &menu)
    {
        std::vector<std::string> out;
        for (const LangMenuItem &item : menu)
            out.push_back(item.caption);
        return out;
    }

    MessageTable messages;
};

} // namespace

TEST_F(Language, FirstCreationWritesEachWindowsTemplateInOrderAndReadsItBack)
{
    LangWindow main = mainWindow();
    LangWindow options = dialog();
    messages.setText(1, "stale");
    ApplyLanguage(file(), main);
    ApplyLanguage(file(), options);

    EXPECT_EQ(get(file()),
              "[Form1]\nForm1=Form1\n"
              "[Lang]\nLang01=Не удалось сохранить настройки\n"
                  + MoreMessages +
              "[Menu]\nN11=Показать\nN1=Настройки\nN4=Выход\n"
              "[Form2]\nForm2=Опции\nButton1=OK\nButton1_h=\nGroupBox1= Часы \n"
              "Label1=Город\nLabel1_h=\nlb1_h=\nCheckBox1=Поверх\nCheckBox1_h=\n"
              "tAl_h=\ntAl_0=Слева\ntAl_1=Справа\n");
    EXPECT_EQ(messages.text(1), "Не удалось сохранить настройки");
    EXPECT_EQ(component(options, "GroupBox1").caption, "Часы") << "read back without blanks";
    EXPECT_EQ(component(options, "Edit1").caption, "text");
    for (const LangComponent &c : options.components)
        EXPECT_FALSE(c.showHint) << c.name;

    // Once a section holds a key, the window only reads it.
    const std::string written = get(file());
    ApplyLanguage(file(), options);
    EXPECT_EQ(get(file()), written);
}

TEST_F(Language, TranslationsApplyByKindAndMissingKeysKeepTheText)
{
    const std::string text = "[form2]\nFORM2=Options\nbutton1=Okay\nButton1_h=Press\n"
                             "LABEL1=Town\nLabel1_h=Where\nCheckBox1_h=orphan hint\n"
                             "lb1_h=Clocks\ntAl_h=\ntAl_0=Left\n";
    put(file(), text);
    LangWindow w = dialog();
    ApplyLanguage(file(), w);

    struct Expected
    {
        const char *name;
        std::string caption, hint;
        bool showHint;
    };
    const Expected cases[] = {
        {"Button1", "Okay", "Press", true},
        {"GroupBox1", " Часы ", "", false}, // no key: not even trimmed
        {"Label1", "Town", "Where", false}, // a label's hint never turns the tool tip on
        {"lb1", "", "Clocks", true},
        {"CheckBox1", "Поверх", "", false}, // no caption key: its hint key is ignored
        {"tAl", "", "", false},
    };
    for (const Expected &e : cases) {
        const LangComponent &c = component(w, e.name);
        EXPECT_EQ(c.caption, e.caption) << e.name;
        EXPECT_EQ(c.hint, e.hint) << e.name;
        EXPECT_EQ(c.showHint, e.showHint) << e.name;
    }
    EXPECT_EQ(w.caption, "Options");
    EXPECT_EQ(component(w, "tAl").items, (std::vector<std::string> {"Left", "Справа"}));
    EXPECT_EQ(get(file()), text) << "a described window writes nothing";
}

TEST_F(Language, MainWindowMessagesAndMenu)
{
    struct Case
    {
        const char *what;
        std::string file;
        std::string message;
        std::vector<std::string> menu;
        std::string fileAfter; // empty: unchanged
    };
    const std::string cp1251Close = "\xc7\xe0\xea\xf0\xfb\xf2\xfc"; // "Закрыть"
    const Case cases[] = {
        {"own section missing: template written, translations kept",
         "[Lang]\nLang01=Cannot save\n[Menu]\nN1=Settings\nN4=Quit\n",
         "Cannot save",
         {"Показать", "Settings", "-", "Quit"},
         "[Lang]\nLang01=Cannot save\n" + MoreMessages
             + "[Menu]\nN1=Settings\nN4=Quit\nN11=Показать\n"
         "[Form1]\nForm1=Form1\n"},
        {"empty message stays empty",
         "[Form1]\nForm1=Clock\n[Lang]\nLang01=\n",
         "",
         {"Показать", "Настройки", "-", "Выход"},
         ""},
        {"Windows-1251 file",
         "[Form1]\nForm1=x\n[Menu]\nN4=" + cp1251Close + "\nN31=never read\n",
         "Не удалось сохранить настройки",
         {"Показать", "Настройки", "-", "Закрыть"},
         ""},
    };
    for (const Case &c : cases) {
        put(file(), c.file);
        LangWindow w = mainWindow();
        ApplyLanguage(file(), w);
        EXPECT_EQ(messages.text(1), c.message) << c.what;
        EXPECT_EQ(captions(w.menu), c.menu) << c.what;
        EXPECT_EQ(w.menu[2].items[0].caption, "Под") << c.what;
        EXPECT_EQ(get(file()), c.fileAfter.empty() ? c.file : c.fileAfter) << c.what;
    }
}

TEST_F(Language, EmptySectionHeaderCountsAsMissing)
{
    put(file(), "[Form2]\n[Other]\nkey=1\n");
    LangWindow w = dialog();
    ApplyLanguage(file(), w);
    IniFile ini(file());
    EXPECT_EQ(ini.keys("Form2").size(), 12u);
    EXPECT_EQ(ini.readString("Other", "key", ""), "1");
    EXPECT_EQ(get(file()).rfind("[Form2]\nForm2=Опции\nButton1=OK\n", 0), 0u);
}

TEST_F(Language, WriteFailureEndsThePassAndTheNextCreationTriesAgain)
{
    setMode(dir, 0555);
    LangWindow w = dialog();
    EXPECT_THROW(ApplyLanguage(file(), w), IniWriteError);
    EXPECT_FALSE(std::filesystem::exists(file()));
    EXPECT_EQ(component(w, "GroupBox1").caption, " Часы ");

    setMode(dir, 0755);
    ApplyLanguage(file(), w);
    EXPECT_EQ(component(w, "GroupBox1").caption, "Часы");
}

// A section counts as present by any of its keys; a file over the size limit, or one
// that links out of the data folder, is never written.
TEST_F(Language, OnlyAMissingSectionInAFileOfTheDataFolderGetsTheTemplate)
{
    const auto data = dir / "data";
    const auto elsewhere = dir / "elsewhere.lng";
    std::filesystem::create_directory(data);
    struct Case
    {
        const char *what;
        std::string text;
        bool linkedOut;
        const char *label; // Label1's caption afterwards
    };
    const Case cases[] = {
        {"section by one component key", "[Form2]\nLabel1=City\n", false, "City"},
        {"over 4 MB", "[Form2]\nLabel1=City\n" + std::string(4 << 20, ';'), false, "Город"},
        {"linked out, section missing", "[Other]\nk=1\n", true, "Город"},
        {"linked out, section there", "[Form2]\nLabel1=City\n", true, "City"},
    };
    for (const Case &c : cases) {
        const auto file = languageFile(data);
        std::filesystem::remove(file);
        const auto target = c.linkedOut ? elsewhere : file;
        put(target, c.text);
        if (c.linkedOut)
            std::filesystem::create_symlink(elsewhere, file);
        LangWindow w = dialog();
        ApplyLanguage(file, w);
        EXPECT_EQ(component(w, "Label1").caption, c.label) << c.what;
        EXPECT_EQ(get(target), c.text) << c.what;
    }
}
