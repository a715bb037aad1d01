// The options dialog's wiring: opening and closing, OK and Cancel, the clock list
// editor, the city box and the skin chooser. The rules themselves are core tests.
#include "ui/about/about_window.h"
#include "ui/app/app_window.h"
#include "ui/app/main_window.h"
#include "ui/options/options_dialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <sstream>

using namespace tivora;
namespace fs = std::filesystem;

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

class OptionsDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        dir = fs::path(tmp.path().toStdString());
        fs::create_directories(dir / "zones");
        std::ofstream(dir / "zones" / "iso3166.tab") << "GB\tBritain (UK)\nIN\tIndia\nCA\tCanada\n";
        std::ofstream(dir / "zones" / "zone.tab")
            << "GB\t+513030-0000731\tEurope/London\nIN\t+2232+08822\tAsia/Kolkata\n"
               "CA\t+4734-05243\tAmerica/St_Johns\n";
        zones.folder = dir / "zones";
        zones.standardOffset = [](const std::string &zone) -> std::optional<int> {
            static const std::map<std::string, int> offsets {
                {"Europe/London", 0}, {"Asia/Kolkata", 330}, {"America/St_Johns", -210}};
            const auto it = offsets.find(zone);
            return it == offsets.end() ? std::nullopt : std::optional<int>(it->second);
        };
        zones.localStandardOffset = [] { return 180; };
        // The main window takes its local zone from the system: the same one.
        savedTz = qgetenv("TZ");
        qputenv("TZ", "Europe/Moscow");
        services.trayAvailable = [] { return true; };
        services.warning = [](const QString &, const QString &) {};
        services.clock = {[] { return utcSecondsOf({2026, 12, 7, 10, 10, 45}) * 1000; },
                          [](std::int64_t) { return 0; }};
    }
    void TearDown() override
    {
        delete dialog.data();
        form.reset();
        app.reset();
        savedTz.isNull() ? qunsetenv("TZ") : qputenv("TZ", savedTz);
    }

    TForm1 &create(const std::string &settings)
    {
        std::ofstream(dir / "tivora.ini", std::ios::binary) << settings;
        app = std::make_unique<AppWindow>();
        form = std::make_unique<TForm1>(StartupContext {dir / "tivora", dir, {}, false}, app.get(),
                                        services);
        form->show();
        return *form;
    }
    Form2 &open()
    {
        dialog = new Form2(form->model(), *form, zones);
        dialog->show();
        QApplication::setActiveWindow(dialog);
        return *dialog;
    }
    // Whether the dialog closed and destroyed itself (an accelerator presses its button
    // on a short timer, so this polls, within a bound).
    bool destroyed()
    {
        return QTest::qWaitFor(
            [this] {
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                return dialog.isNull();
            },
            10000);
    }
    std::string settingsText() const
    {
        std::ifstream in(dir / "tivora.ini", std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    QStringList lines() const
    {
        QStringList all;
        for (int i = 0; i < dialog->lb1->count(); ++i)
            all << dialog->lb1->item(i)->text();
        return all;
    }
    void select(int row)
    {
        QListWidget *list = dialog->lb1;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    }
    void typeInto(QWidget *field, const QString &text)
    {
        field->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, text);
    }
    void pickCity(const QString &name)
    {
        QComboBox *box = dialog->cbCity;
        const int index = box->findText(name);
        ASSERT_GE(index, 0) << name.toStdString();
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    void saveSkin(const char *name, int side)
    {
        fs::create_directories(dir / "Skins");
        QImage image(side, side, QImage::Format_RGB32);
        image.fill(Qt::white);
        image.save(QString::fromStdString((dir / "Skins" / name).string()), "BMP");
    }

    QTemporaryDir tmp;
    fs::path dir;
    QByteArray savedTz;
    TimeZoneSource zones;
    DesktopServices services;
    std::unique_ptr<AppWindow> app;
    std::unique_ptr<TForm1> form;
    QPointer<Form2> dialog;
};

} // namespace

// The dialog, its skin panel's headings and font links, and the about window's own
// texts are all drawn in the one design font, whatever the system stands in for it.
TEST_F(OptionsDialog, DialogsShareOneDesignFont)
{
    create("");
    Form2 &d = open();
    const auto about = std::make_unique<Form3>(nullptr, dir / "none.lng", nullptr);
    const QFontInfo design(d.font());
    EXPECT_EQ(design.pixelSize(), 11);
    const QLabel *texts[] = {d.Label14, d.findChild<QLabel *>("Label13"),
                             d.findChild<QLabel *>("Label27"), about->Label2,
                             about->findChild<QLabel *>("Label8")};
    for (const QLabel *text : texts) {
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(QFontInfo(text->font()).family(), design.family()) << text->objectName().toStdString();
        EXPECT_EQ(QFontInfo(text->font()).pixelSize(), 11) << text->objectName().toStdString();
    }
}

TEST_F(OptionsDialog, ShowFillsTheControlsFromTheModel)
{
    create("[Main]\nShowArray=0\nShowDelimiters=1\nActiveTr=128\nPassiveTr=254\nWidth=4\n"
           "SysTimeDesc=Here\n[Tivora]\nClock_01_h=2\nClock_01_Desc=E\nClock_02_h=-4\n"
           "Clock_02_m=30\nClock_02_Desc=W\n");
    Form2 &d = open();
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Опции"));
    EXPECT_EQ(d.size(), QSize(Form2::NarrowWidth, Form2::DesignHeight));
    EXPECT_TRUE(d.windowFlags().testFlag(Qt::WindowStaysOnTopHint)) << "the main window is on top";
    EXPECT_EQ(QApplication::focusWidget(), d.Button1);
    EXPECT_EQ(d.Button2->geometry().right(), d.width() - 5);
    EXPECT_FALSE(form->N1->isEnabled());
    EXPECT_EQ(d.LocalBias, -180);
    EXPECT_FALSE(d.cb1->isChecked());
    EXPECT_TRUE(d.cb5->isChecked());
    EXPECT_TRUE(d.cb6->isChecked());
    EXPECT_EQ(d.e4->text(), "Here");
    EXPECT_EQ(d.cwidth->text(), "4");
    EXPECT_EQ(d.Label19->text(), "50%");
    EXPECT_EQ(d.Label21->text(), "99%");
    EXPECT_EQ(lines(), QStringList({"-03:30 W", "+02:00 E"}));
    EXPECT_EQ(d.selectedLine(), -1);
    EXPECT_FALSE(d.e1->isEnabled());
    EXPECT_FALSE(d.cbCity->isEnabled());
    EXPECT_EQ(d.skin->currentText(), "Default");
    EXPECT_TRUE(d.GroupBox3->isHidden());
    EXPECT_EQ(d.GroupBox3->x(), Form2::SkinBoxParkedLeft);
    // The city items: display names in order, the offset relative to local time as data.
    ASSERT_EQ(d.cbCity->count(), 3);
    EXPECT_EQ(d.cbCity->itemText(0), "Kolkata, India (UTC+05:30)");
    EXPECT_EQ(d.cbCity->itemData(0).toString(), "Kolkata, India (UTC+05:30)|150");
    EXPECT_EQ(d.cbCity->itemText(2), "St John's, Canada (UTC-03:30)");
    EXPECT_EQ(d.cbCity->currentIndex(), -1);
    // No default button: Enter in a field presses nothing.
    d.e4->setFocus();
    QTest::keyClick(d.e4, Qt::Key_Return);
    EXPECT_TRUE(d.isVisible());
}

TEST_F(OptionsDialog, FirstOpeningWritesItsLanguageSectionInLayoutOrder)
{
    create("");
    open();
    std::ifstream in(dir / "langfile.lng", std::ios::binary);
    std::string line, section;
    QStringList keys;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.starts_with('['))
            section = line;
        else if (section == "[Form2]" && line.find('=') != std::string::npos)
            keys << QString::fromStdString(line.substr(0, line.find('=')));
    }
    const QString expected =
        "Form2 Button1 Button1_h Button2 Button2_h GroupBox1 Label1 Label1_h Label2 Label2_h "
        "Label6 Label6_h Label22 Label22_h lb1_h Button3 Button3_h Button4 Button4_h cbCity_h "
        "GroupBox2 Label15 Label15_h Label14 Label14_h Label18 Label18_h Label19 Label19_h "
        "Label20 Label20_h Label21 Label21_h Label17 Label17_h Label8 Label8_h cb9 cb9_h cb1 "
        "cb1_h cb2 cb2_h cb3 cb3_h cb4 cb4_h cb5 cb5_h cb6 cb6_h skin_h cb7 cb7_h cb8 cb8_h "
        "Button5 Button5_h GroupBox3 Label3 Label3_h Label4 Label4_h Label5 Label5_h Label7 "
        "Label7_h Label9 Label9_h Label10 Label10_h Label11 Label11_h Label12 Label12_h Label13 "
        "Label13_h Label16 Label16_h Label23 Label23_h Label24 Label24_h Label25 Label25_h "
        "Label26 Label26_h Label27 Label27_h Label28 Label28_h Label29 Label29_h Label30 "
        "Label30_h Label31 Label31_h Label32 Label32_h Label33 Label33_h Button6 Button6_h "
        "Button7 Button7_h tAl_h tAl_0 tAl_1 tAl_2 dAl_h dAl_0 dAl_1 dAl_2 eAl_h eAl_0 eAl_1 "
        "eAl_2 CheckBox1 CheckBox1_h";
    EXPECT_EQ(keys.join(' '), expected);
    EXPECT_EQ(dialog->GroupBox1->title(), "Часы") << "read back from the file, blanks dropped";
}

TEST_F(OptionsDialog, EveryRouteClosesDestroysAndReenablesTheMenuItem)
{
    const std::function<void(Form2 &)> routes[] = {
        [](Form2 &d) { QTest::mouseClick(d.Button2, Qt::LeftButton); },
        [](Form2 &d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](Form2 &d) { d.close(); },
        [](Form2 &d) {
            d.Button2->setFocus();
            QTest::keyClick(d.Button2, Qt::Key_Return);
        },
        [](Form2 &d) { QTest::keyClick(&d, Qt::Key_O, Qt::AltModifier); },
    };
    create("[Main]\nShowArray=1\n");
    const std::string before = settingsText();
    for (std::size_t route = 0; route < std::size(routes); ++route) {
        Form2 &d = open();
        d.cb1->setChecked(false);
        ASSERT_FALSE(form->N1->isEnabled());
        routes[route](d);
        EXPECT_TRUE(destroyed()) << route;
        EXPECT_TRUE(form->N1->isEnabled()) << route;
        const bool ok = route == std::size(routes) - 1;
        EXPECT_EQ(form->model().options.ShowArray, !ok) << route;
        EXPECT_EQ(settingsText() != before, ok) << route;
    }
}

TEST_F(OptionsDialog, TheMenuItemShowsTheDialogModally)
{
    create("");
    bool sawModal = false;
    QTimer::singleShot(0, [&] {
        auto *d = qobject_cast<Form2 *>(QApplication::activeModalWidget());
        sawModal = d && !form->N1->isEnabled();
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *open = qobject_cast<Form2 *>(w))
                open->reject();
    });
    form->N1->trigger();
    EXPECT_TRUE(sawModal);
    EXPECT_TRUE(form->N1->isEnabled());
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<Form2 *>(w), nullptr) << "destroyed when exec returns";
}

TEST_F(OptionsDialog, OkCopiesSavesAndResizesInLineOrder)
{
    create("[Tivora]\nClock_01_h=5\nClock_01_Desc=Late\n");
    Form2 &d = open();
    d.cb9->setChecked(false);
    d.e4->setText("Local");
    d.tb1->setValue(100);
    d.cwidth->setText("1");
    QTest::mouseClick(d.Button3, Qt::LeftButton);
    typeInto(d.e1, "-2");
    typeInto(d.e3, "Early");
    QTest::mouseClick(d.Button1, Qt::LeftButton); // leaving e3 commits first
    ASSERT_TRUE(destroyed());

    const WidgetModel &m = form->model();
    EXPECT_FALSE(m.options.ShowSystemTime);
    EXPECT_EQ(m.options.SysTimeDesc, "Local");
    EXPECT_EQ(m.options.ActiveTr, 100);
    EXPECT_TRUE(form->opacitySwitch());
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(m.clocks, (TClockList {{-2, 0, "Early"}, {0, 0, "Local"}, {5, 0, "Late"}}))
        << "sorted by the resize";
    const std::string saved = settingsText();
    EXPECT_LT(saved.find("Clock_01_Desc=Late"), saved.find("Clock_02_Desc=Early"))
        << "saved in line order";
    EXPECT_EQ(form->height(), 2 * 220) << "one face per row, two faces shown";
}

TEST_F(OptionsDialog, SystemTimeIsForcedOnOnlyWithoutUserClocksAtOpening)
{
    for (const bool hadClocks : {false, true}) {
        create(hadClocks ? "[Main]\nShowSystemTime=0\n[Tivora]\nClock_01_h=1\n" : "");
        Form2 &d = open();
        if (hadClocks) {
            select(0);
            QTest::mouseClick(d.Button4, Qt::LeftButton);
        } else {
            QTest::mouseClick(d.Button3, Qt::LeftButton);
        }
        d.cb9->setChecked(false);
        QTest::mouseClick(d.Button1, Qt::LeftButton);
        EXPECT_EQ(form->model().options.ShowSystemTime, !hadClocks) << hadClocks;
    }
}

TEST_F(OptionsDialog, AddDeleteAndSelectionDriveTheFields)
{
    create("");
    Form2 &d = open();
    QTest::mouseClick(d.Button4, Qt::LeftButton); // nothing selected: nothing happens
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(d.Button3, Qt::LeftButton);
    EXPECT_EQ(lines(), QStringList({"+00:00", "+00:00", "+00:00"}));
    EXPECT_EQ(d.selectedLine(), 2);
    EXPECT_TRUE(d.e1->isEnabled() && d.Label22->isEnabled() && d.cbCity->isEnabled());
    d.lb1->item(0)->setText("-01:00 A");
    d.lb1->item(1)->setText("+02:15 B");
    d.lb1->item(2)->setText("+03:00  C");

    select(1);
    EXPECT_EQ(d.e1->value(), 2);
    EXPECT_EQ(d.e2->value(), 15);
    QTest::mouseClick(d.Button4, Qt::LeftButton); // the middle line: its follower is selected
    EXPECT_EQ(lines(), QStringList({"-01:00 A", "+03:00  C"}));
    EXPECT_EQ(d.selectedLine(), 1);
    EXPECT_EQ(d.e3->text(), " C") << "leading spaces belong to the description";
    QTest::mouseClick(d.Button4, Qt::LeftButton); // the last line: the new last one
    EXPECT_EQ(d.selectedLine(), 0);
    EXPECT_EQ(d.e1->value(), -1);
    QTest::mouseClick(d.Button4, Qt::LeftButton); // the only line: nothing selected
    EXPECT_EQ(d.lb1->count(), 0);
    EXPECT_EQ(d.selectedLine(), -1);
    EXPECT_FALSE(d.e1->isEnabled() || d.e3->isEnabled() || d.Label1->isEnabled());
}

TEST_F(OptionsDialog, FieldsCommitOnLeavingAndOnEnterIntoTheLineThenSelected)
{
    create("[Tivora]\nClock_01_h=1\nClock_01_Desc=A\nClock_02_h=2\nClock_02_Desc=B\n");
    Form2 &d = open();
    select(0);
    typeInto(d.e1, "30");
    EXPECT_EQ(lines()[0], "+01:00 A") << "typing alone does not commit";
    typeInto(d.e2, "x-");
    EXPECT_EQ(lines()[0], "+24:00 A") << "leaving e1 committed 30 as its bound";
    EXPECT_EQ(d.e1->text(), "24");
    EXPECT_EQ(d.e2->text(), "-") << "signs and digits only";
    d.e1->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(lines()[0], "+24:00 A") << "leaving e2 committed its lower bound";
    QTest::keyClick(d.e1, Qt::Key_Down);
    QTest::keyClick(d.e1, Qt::Key_Down);
    EXPECT_EQ(lines()[0], "+24:00 A") << "stepping alone does not commit";
    typeInto(d.e3, "Moscow");
    select(1); // commits into line 0 before line 1 fills the fields
    EXPECT_EQ(lines(), QStringList({"+22:00 Moscow", "+02:00 B"}));
    EXPECT_EQ(d.e3->text(), "B");

    typeInto(d.e3, "Enter");
    QTest::keyClick(d.e3, Qt::Key_Return);
    EXPECT_EQ(lines()[1], "+02:00 Enter");
    typeInto(d.e1, "-5");
    // OK by its accelerator takes the focus like a click, so the edit is not lost.
    QTest::keyClick(&d, Qt::Key_O, Qt::AltModifier);
    ASSERT_TRUE(destroyed());
    EXPECT_EQ(form->model().clocks[0], (TClock {-5, 0, "Enter"}));
}

TEST_F(OptionsDialog, RowWidthTakesDigitsOnlyAndSlidersShowTheirPercent)
{
    create("");
    Form2 &d = open();
    typeInto(d.cwidth, "1a-2 34");
    EXPECT_EQ(d.cwidth->text(), "123");
    QTest::keyClick(d.cwidth, Qt::Key_Backspace);
    EXPECT_EQ(d.cwidth->text(), "12");
    d.tb1->setValue(3);
    d.tb2->setValue(128);
    EXPECT_EQ(d.Label19->text(), "1%");
    EXPECT_EQ(d.Label21->text(), "50%");
    d.cwidth->setText("ab"); // pasted
    QTest::mouseClick(d.Button1, Qt::LeftButton);
    EXPECT_EQ(form->model().options.Width, 1);
}

TEST_F(OptionsDialog, CityPickSetsTheOffsetAndCommitsAtOnce)
{
    create("[Tivora]\nClock_01_h=1\nClock_01_Desc=A\nClock_02_h=2\nClock_02_Desc=B\n");
    Form2 &d = open();
    select(0);
    const std::tuple<const char *, int, int, const char *> picks[] = {
        {"Kolkata, India (UTC+05:30)", 2, 30, "+02:30 A"},
        {"London, Britain (UK) (UTC+00:00)", -3, 0, "-03:00 A"},
        {"St John's, Canada (UTC-03:30)", -6, 30, "-06:30 A"}, // 390 minutes behind
    };
    for (const auto &[city, hour, minute, line] : picks) {
        pickCity(city);
        EXPECT_EQ(d.e1->value(), hour) << city;
        EXPECT_EQ(d.e2->value(), minute) << city;
        EXPECT_EQ(lines()[0], line);
    }
    select(1);
    EXPECT_EQ(d.cbCity->currentText(), "St John's, Canada (UTC-03:30)")
        << "the closed box keeps the last pick";
    EXPECT_EQ(lines()[1], "+02:00 B");
    // Typing a city's first letters picks it, as a click would.
    QTest::keyClicks(d.cbCity, "lo");
    EXPECT_EQ(d.cbCity->currentText(), "London, Britain (UK) (UTC+00:00)");
    EXPECT_EQ(lines()[1], "-03:00 B");
}

TEST_F(OptionsDialog, APickedCityKeepsItsZoneUntilAnOffsetIsEdited)
{
    create("[Tivora]\nClock_01_h=1\nClock_01_Desc=A\n"
           "Clock_02_h=2\nClock_02_m=30\nClock_02_Desc=B\nClock_02_Zone=Asia/Kolkata\n");
    Form2 &d = open();
    EXPECT_EQ(d.lb1->item(0)->toolTip(), "");
    EXPECT_EQ(d.lb1->item(1)->toolTip(), "Asia/Kolkata") << "the line shows its zone";
    select(0);
    pickCity("London, Britain (UK) (UTC+00:00)");
    EXPECT_EQ(lines()[0], "-03:00 A");
    EXPECT_EQ(d.lb1->item(0)->toolTip(), "Europe/London");
    typeInto(d.e3, "London");
    select(1); // commits line 0's description: its zone stays
    EXPECT_EQ(d.lb1->item(0)->toolTip(), "Europe/London");
    typeInto(d.e1, "5");
    select(0); // commits line 1's hour: a fixed-offset clock again
    EXPECT_EQ(lines(), QStringList({"-03:00 London", "+05:30 B"}));
    EXPECT_EQ(d.lb1->item(1)->toolTip(), "");
    QTest::mouseClick(d.Button1, Qt::LeftButton);
    ASSERT_TRUE(destroyed());
    EXPECT_EQ(form->model().clocks,
              (TClockList {{-3, 0, "London", "Europe/London"}, {0, 0, "System"}, {5, 30, "B"}}));
    EXPECT_NE(settingsText().find("Clock_01_Desc=London\nClock_01_Zone=Europe/London\nClock_02_h"),
              std::string::npos)
        << settingsText();
}

TEST_F(OptionsDialog, EachControlShowsAndSetsItsOwnSetting)
{
    // The layout's pairs, written out here: a swap anywhere shows as a box ticked for
    // another box's setting, when shown or on OK.
    const std::pair<const char *, bool TOptions::*> boxes[] = {
        {"cb1", &TOptions::ShowArray},      {"cb2", &TOptions::ShowDigits},
        {"cb3", &TOptions::ShowDate},       {"cb4", &TOptions::ShowDesc},
        {"cb6", &TOptions::ShowDelimiters}, {"cb7", &TOptions::ShowWhiteBG},
        {"cb8", &TOptions::ShowTextWhiteBG}, {"cb9", &TOptions::ShowSystemTime}};
    create("[Tivora]\nClock_01_h=1\n");
    TOptions &o = form->model().options;
    for (const auto &[name, setting] : boxes) {
        for (const auto &[other, otherSetting] : boxes)
            o.*otherSetting = otherSetting == setting;
        Form2 &d = open();
        for (const auto &[other, otherSetting] : boxes) {
            QCheckBox *box = d.findChild<QCheckBox *>(other);
            EXPECT_EQ(box->isChecked(), other == name) << name << " shown, " << other;
            box->toggle();
        }
        QTest::mouseClick(d.Button1, Qt::LeftButton);
        ASSERT_TRUE(destroyed());
        for (const auto &[other, otherSetting] : boxes)
            EXPECT_EQ(o.*otherSetting, other != name) << name << " cleared on OK, " << other;
    }
}

TEST_F(OptionsDialog, ALongDescriptionIsKeptUnlessEditedAndTypingStopsAtTheLimit)
{
    const std::string long303(303, 'x');
    create("[Tivora]\nClock_01_h=1\nClock_01_Desc=" + long303 + "\nClock_02_h=2\n");
    Form2 &d = open();
    select(0);
    d.e3->setFocus(Qt::MouseFocusReason);
    select(1); // leaving e3 commits line 0
    EXPECT_EQ(lines()[0].toStdString(), "+01:00 " + long303);
    select(0);
    QTest::keyClick(d.e3, Qt::Key_End);
    QTest::keyClicks(d.e3, "y");
    EXPECT_EQ(d.e3->text().size(), 303) << "nothing typed beyond the text";
    QTest::keyClick(d.e3, Qt::Key_Backspace);
    QTest::keyClicks(d.e3, "y");
    EXPECT_EQ(d.e3->text().size(), 302) << "a shortened text does not grow again";
    typeInto(d.e3, QString(120, 'z'));
    EXPECT_EQ(d.e3->text(), QString(100, 'z'));
}

TEST_F(OptionsDialog, NegativeOffsetsWithMinutesReadAsTheyAre)
{
    // -3:30 stored as hour -4 and minute 30; a hand-edited -3/30 is -2:30.
    create("[Tivora]\nClock_01_h=-4\nClock_01_m=30\nClock_01_Desc=A\n"
           "Clock_02_h=-3\nClock_02_m=30\nClock_02_Desc=B\nClock_03_h=5\n");
    Form2 &d = open();
    EXPECT_EQ(lines(), QStringList({"-03:30 A", "-02:30 B", "+05:00 "}));
    select(0);
    EXPECT_EQ(std::pair(d.e1->value(), d.e2->value()), std::pair(-3, 30));
    select(2);
    typeInto(d.e1, "-1");
    typeInto(d.e2, "45");
    select(1);
    EXPECT_EQ(lines()[2], "-01:45 ");
    QTest::mouseClick(d.Button1, Qt::LeftButton);
    EXPECT_EQ(form->model().clocks, (TClockList {{-4, 30, "A"}, {-3, 30, "B"}, {-2, 15, ""},
                                                 {0, 0, "System"}}));
}

TEST_F(OptionsDialog, SkinListPicksAtOnceAndCancelKeepsThePick)
{
    saveSkin("Blue.BMP", 100);
    std::ofstream(dir / "Skins" / "Blue.ini") << "[Main]\n";
    std::ofstream(dir / "Skins" / "Broken.bmp") << "not an image";
    std::ofstream(dir / "Skins" / "Broken.ini") << "[Main]\n";
    std::ofstream(dir / "Skins" / "readme.txt") << "";
    fs::create_directories(dir / "Skins" / "old.bmp");
    create("");
    form->model().options.Skin = "BLUE"; // matched without regard to case
    Form2 &d = open();
    QStringList items;
    for (int i = 0; i < d.skin->count(); ++i)
        items << d.skin->itemText(i);
    EXPECT_EQ(items, QStringList({"Blue", "Broken", "Default"}));
    EXPECT_EQ(d.skin->currentText(), "Blue");

    const auto pick = [&](const QString &name) {
        const int index = d.skin->findText(name);
        d.skin->setCurrentIndex(index);
        emit d.skin->activated(index);
    };
    form->model().options.Skin = "Default";
    pick("Default");
    const QSize defaultSize = form->size();
    pick("Blue");
    EXPECT_EQ(form->model().options.Skin, "Blue");
    EXPECT_NE(form->size(), defaultSize) << "resized to the new skin at once";
    pick("Broken"); // cannot be loaded: the shown skin stays
    EXPECT_EQ(form->model().options.Skin, "Blue");
    EXPECT_EQ(d.skin->currentText(), "Blue");
    QTest::mouseClick(d.Button2, Qt::LeftButton);
    ASSERT_TRUE(destroyed());
    EXPECT_EQ(form->model().options.Skin, "Blue");
}

TEST_F(OptionsDialog, AMissingZoneTableLeavesAnEmptyCityBoxAndAWorkingDialog)
{
    zones.folder = dir / "nowhere";
    create("");
    Form2 &d = open();
    EXPECT_EQ(d.cbCity->count(), 0);
    EXPECT_TRUE(d.GroupBox3->isHidden()) << "the show handler ran to its end";
    QTest::mouseClick(d.Button3, Qt::LeftButton);
    QTest::mouseClick(d.Button1, Qt::LeftButton);
    EXPECT_TRUE(destroyed());
    EXPECT_EQ(form->model().clocks.size(), 2u);
}
