#include "ui/about/about_window.h"
#include "ui/app/app_window.h"
#include "ui/app/main_window.h"
#include "core/base/ini_file.h"
#include "ui/i18n/qt_language.h"
#include "core/i18n/shipped_languages.h"
#include "ui/options/options_dialog.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>

using namespace tivora;
namespace fs = std::filesystem;

namespace {

using Keys = std::vector<std::string>;

class LanguageWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        dir = fs::path(tmp.path().toStdString());
        services.warning = [](const QString &, const QString &) {};
    }
    void TearDown() override
    {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        form.reset();
        app.reset();
    }

    fs::path langFile() const { return languageFile(dir); }
    void writeLanguage(const std::string &text)
    {
        std::ofstream(langFile(), std::ios::binary) << text;
    }
    QStringList sectionHeaders() const
    {
        QFile file(QString::fromStdString(langFile().string()));
        QStringList headers;
        if (file.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : file.readAll().split('\n')) {
                if (line.startsWith('['))
                    headers << QString::fromUtf8(line);
            }
        }
        return headers;
    }

    TForm1 &createMain()
    {
        app = std::make_unique<AppWindow>();
        form = std::make_unique<TForm1>(StartupContext {dir / "tivora", dir, {}, false}, app.get(),
                                        services);
        return *form;
    }
    // An about window as the menu makes it: on the heap, destroying itself on close.
    QPointer<Form3> createAbout(QAction *menuItem = nullptr)
    {
        return new Form3(nullptr, langFile(), menuItem, [this](const QUrl &url) {
            opened.push_back(url.toString().toStdString());
        });
    }
    static QLabel *label(QWidget *w, const char *name) { return w->findChild<QLabel *>(name); }

    static void mouse(QWidget *w, QEvent::Type type, QPoint local, Qt::MouseButton button,
                      QPoint global = {})
    {
        const Qt::MouseButtons buttons =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent e(type, QPointF(local),
                      QPointF(global.isNull() ? w->mapToGlobal(local) : global), button, buttons,
                      Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
    static void click(QWidget *w, Qt::MouseButton button = Qt::LeftButton)
    {
        mouse(w, QEvent::MouseButtonPress, {2, 2}, button);
        mouse(w, QEvent::MouseButtonRelease, {2, 2}, button);
    }
    static void key(QWidget *w, int k)
    {
        QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }

    QTemporaryDir tmp;
    fs::path dir;
    DesktopServices services;
    std::unique_ptr<AppWindow> app;
    std::unique_ptr<TForm1> form;
    std::vector<std::string> opened;
};

} // namespace

TEST_F(LanguageWindows, FirstStartWritesTheMainAndAboutTemplatesInOrder)
{
    TForm1 &f = createMain();
    QPointer<Form3> about = createAbout(f.N2);

    EXPECT_EQ(sectionHeaders().join(' '), "[Form1] [Lang] [Menu] [Form3]");
    IniFile ini(langFile());
    EXPECT_EQ(ini.keys("Form1"), Keys {"Form1"});
    EXPECT_EQ(ini.readString("Lang", "Lang01", ""), "Не удалось сохранить настройки");
    EXPECT_EQ(ini.keys("Menu"), (Keys {"N11", "N1", "N2", "N4"}));
    EXPECT_EQ(ini.readString("Menu", "N2", ""), "О программе");
    Keys form3 {"Form3"};
    for (const char *name : {"Label1", "Label3", "Label4", "Label5", "Label8", "Label9", "Label10",
                             "Label11", "Label2", "Label6", "Label7"}) {
        form3.push_back(name);
        form3.push_back(std::string(name) + "_h");
    }
    EXPECT_EQ(ini.keys("Form3"), form3);
    EXPECT_EQ(ini.readString("Form3", "Label10", ""), "v 2.2");
    EXPECT_EQ(ini.readString("Form3", "Label1", ""), "Разработка");
    EXPECT_EQ(label(about, "Label10")->text(), "v 2.1");
    delete about;
}

TEST_F(LanguageWindows, TranslationsShowAndTheAboutWindowsFixedTextsWin)
{
    writeLanguage("[Form1]\nForm1=Weltuhr\n[Lang]\nLang01=Fehler\n[Menu]\nN4=Beenden\n"
                  "[Form3]\nForm3=Über\nLabel1=Development\nLabel10=v 9\nLabel6=evil.example\n"
                  "Label6_h=Open the site\n");
    TForm1 &f = createMain();
    EXPECT_EQ(f.windowTitle(), "Weltuhr");
    EXPECT_EQ(f.N4->text(), "Beenden");
    EXPECT_EQ(f.N1->text(), "Настройки");
    EXPECT_EQ(f.model().LangMessages.text(1), "Fehler");

    QPointer<Form3> about = createAbout();
    EXPECT_EQ(about->windowTitle(), "Über");
    EXPECT_EQ(label(about, "Label1")->text(), "Development");
    EXPECT_EQ(label(about, "Label4")->text(), "Идея");
    EXPECT_EQ(label(about, "Label10")->text(), "v 2.1");
    EXPECT_EQ(about->Label6->text(), "example.org");
    EXPECT_EQ(widgetHint(about->Label6), "Open the site");
    EXPECT_TRUE(about->Label6->toolTip().isEmpty()) << "a label shows no tool tip";
    EXPECT_EQ(label(about, "Label3")->text(), Form3::MakerHandle);
    delete about;
}

TEST_F(LanguageWindows, UnwritableFolderKeepsTheLayoutTexts)
{
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    TForm1 &f = createMain();
    EXPECT_EQ(f.windowTitle(), "Form1");
    EXPECT_EQ(f.N2->text(), "О программе");
    EXPECT_TRUE(f.Timer1->isActive());
    QPointer<Form3> about = createAbout();
    EXPECT_EQ(label(about, "Label10")->text(), "v 2.2") << "the fixed texts are skipped";
    EXPECT_FALSE(fs::exists(langFile()));
    delete about;
}

TEST_F(LanguageWindows, AdapterVisitsOwnedControlsDepthFirstAndShowsHintsBySwitch)
{
    QWidget w;
    w.setObjectName("Form9");
    w.setWindowTitle("Nine");
    auto *box = new QGroupBox(" Box ", &w);
    box->setObjectName("GroupBox1");
    auto *inner = new QLabel("In", box);
    inner->setObjectName("Label1");
    auto *button = new QPushButton("Go", &w);
    button->setObjectName("Button1");
    (new QListWidget(&w))->setObjectName("lb1");
    auto *combo = new QComboBox(&w);
    combo->setObjectName("cb1");
    combo->addItems({"a", "b"});
    auto *other = new QDialog(&w); // another window: not entered
    (new QLabel("Other", other))->setObjectName("Label2");

    applyLanguage(&w, langFile());
    IniFile ini(langFile());
    EXPECT_EQ(ini.keys("Form9"),
              (Keys {"Form9", "GroupBox1", "Label1", "Label1_h", "Button1", "Button1_h", "lb1_h",
                     "cb1_h", "cb1_0", "cb1_1"}));
    EXPECT_EQ(box->title(), "Box");

    writeLanguage("[Form9]\nButton1=Go\nButton1_h=Press\nLabel1=Inner\nLabel1_h=Hidden\ncb1_1=B\n");
    applyLanguage(&w, langFile());
    EXPECT_EQ(button->toolTip(), "Press");
    EXPECT_EQ(inner->text(), "Inner");
    EXPECT_TRUE(inner->toolTip().isEmpty()) << "a label keeps its hint without showing it";
    EXPECT_EQ(combo->itemText(1), "B");
}

TEST_F(LanguageWindows, AboutWindowClosesByItsRoutesAndReleasesTheMenuItem)
{
    struct Route
    {
        const char *what;
        std::function<void(Form3 &)> act;
        bool closes;
        std::vector<std::string> opened;
    };
    const Route routes[] = {
        {"Escape", [](Form3 &a) { key(&a, Qt::Key_Escape); }, true, {}},
        {"Return", [](Form3 &a) { key(&a, Qt::Key_Return); }, true, {}},
        {"Enter", [](Form3 &a) { key(&a, Qt::Key_Enter); }, true, {}},
        {"X", [](Form3 &a) { click(a.Label2); }, true, {}},
        {"double-click on a credit line",
         [](Form3 &a) {
             mouse(a.Label11, QEvent::MouseButtonDblClick, {60, 130}, Qt::LeftButton);
         },
         true,
         {}},
        {"other key", [](Form3 &a) { key(&a, Qt::Key_A); }, false, {}},
        {"right click on X", [](Form3 &a) { click(a.Label2, Qt::RightButton); }, false, {}},
        {"web link", [](Form3 &a) { click(a.Label6); }, false, {"http://example.org"}},
        {"mail link", [](Form3 &a) { click(a.Label7); }, false, {"mailto:tivora@example.org"}},
    };
    QAction menuItem(nullptr);
    for (const Route &r : routes) {
        opened.clear();
        QPointer<Form3> about = createAbout(&menuItem);
        about->show();
        EXPECT_FALSE(menuItem.isEnabled()) << r.what;
        r.act(*about);
        EXPECT_EQ(opened, r.opened) << r.what;
        if (r.closes) {
            EXPECT_TRUE(!about || !about->isVisible()) << r.what;
            EXPECT_TRUE(menuItem.isEnabled()) << r.what;
        } else {
            ASSERT_TRUE(about) << r.what;
            EXPECT_TRUE(about->isVisible()) << r.what;
            EXPECT_FALSE(menuItem.isEnabled()) << r.what;
            about->close();
        }
        delete about;
    }
}

TEST_F(LanguageWindows, AboutWindowDragsWithTheLeftButtonAndTakesThePicturesSize)
{
    QPointer<Form3> about = createAbout();
    about->show();
    EXPECT_EQ(about->geometry().center(), about->screen()->geometry().center());
    EXPECT_TRUE(about->windowFlags().testFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint));
    // The mouse surface lies over the credits, the "X" and the links over it.
    EXPECT_EQ(about->childAt(50, 50), about->Label11);
    EXPECT_EQ(about->childAt(292, 8), about->Label2);
    EXPECT_EQ(about->childAt(70, 158), about->Label6);
    about->move(100, 100);
    // A right press starts nothing; a left press on the surface grabs; any release ends.
    mouse(about->Label11, QEvent::MouseButtonPress, {10, 20}, Qt::RightButton);
    EXPECT_FALSE(about->isDragging());
    mouse(about->Label11, QEvent::MouseButtonPress, {10, 20}, Qt::LeftButton);
    ASSERT_TRUE(about->isDragging());
    mouse(about->Label11, QEvent::MouseMove, {0, 0}, Qt::LeftButton, {500, 400});
    EXPECT_EQ(about->pos(), QPoint(490, 380));
    mouse(about->Label11, QEvent::MouseButtonRelease, {0, 0}, Qt::RightButton);
    EXPECT_FALSE(about->isDragging());
    mouse(about->Label11, QEvent::MouseMove, {0, 0}, Qt::NoButton, {700, 700});
    EXPECT_EQ(about->pos(), QPoint(490, 380));
    // Pressing a link grabs nothing.
    mouse(about->Label6, QEvent::MouseButtonPress, {2, 2}, Qt::LeftButton);
    EXPECT_FALSE(about->isDragging());

    // The built-in picture: 308 x 200 at 24 bits per pixel; another one resizes the window.
    QFile bmp(about->backgroundPath);
    ASSERT_TRUE(bmp.open(QIODevice::ReadOnly));
    const QByteArray header = bmp.read(30);
    EXPECT_EQ(QImage(about->backgroundPath).size(), QSize(308, 200));
    EXPECT_EQ(header[28], 24);
    about->grab();
    EXPECT_EQ(about->size(), QSize(308, 200));
    QImage other(200, 120, QImage::Format_RGB888);
    other.fill(Qt::darkGreen);
    const QString otherPath = tmp.filePath("other.bmp");
    ASSERT_TRUE(other.save(otherPath, "BMP"));
    about->backgroundPath = otherPath;
    about->grab();
    EXPECT_EQ(about->size(), QSize(200, 120));
    EXPECT_EQ(about->Label11->size(), QSize(200, 120));
    delete about;
}

TEST_F(LanguageWindows, EachAboutChoiceOpensANewModalWindowAndDisablesItsItem)
{
    TForm1 &f = createMain();
    std::vector<QPointer<Form3>> seen;
    for (int i = 0; i < 2; ++i) {
        QTimer::singleShot(0, [&] {
            Form3 *about = f.findChild<Form3 *>();
            ASSERT_NE(about, nullptr);
            seen.push_back(about);
            EXPECT_EQ(QApplication::activeModalWidget(), about);
            EXPECT_FALSE(f.N2->isEnabled());
            EXPECT_EQ(about->parentWidget(), &f);
            key(about, Qt::Key_Escape);
        });
        f.N2->trigger();
        EXPECT_TRUE(f.N2->isEnabled());
    }
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(seen[0].isNull() && seen[1].isNull()) << "each window is destroyed on close";
}

// The template comes from the windows themselves, so a control added to any of them
// without a translation in every shipped language file fails here.
TEST_F(LanguageWindows, EveryShippedTranslationHoldsEveryTemplateKey)
{
    TForm1 &f = createMain();
    delete createAbout(f.N2).data();
    delete new Form2(f.model(), f, TimeZoneSource {});
    IniFile templ(langFile());
    const fs::path shipped = fs::path(TIVORA_SOURCE_DIR) / "lang";
    for (const std::string &code : shippedLanguages()) {
        IniFile translation(shipped / (code + ".lng"));
        for (const char *section : {"Form1", "Lang", "Menu", "Form3", "Form2"}) {
            const Keys keys = templ.keys(section);
            EXPECT_GT(keys.size(), 0u) << section;
            EXPECT_EQ(translation.keys(section), keys) << code << " " << section;
            for (const std::string &key : keys) {
                if (!templ.readString(section, key, "").empty()) {
                    EXPECT_NE(translation.readString(section, key, ""), "")
                        << code << " " << section << " " << key;
                }
            }
        }
    }
}
