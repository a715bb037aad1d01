#include "ui/app/app_window.h"
#include "ui/app/main_window.h"
#include "core/skin_test_support.h"
#include "ui/skins/skin_editor.h"
#include "ui/skins/skin_files.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>

using namespace tivora;
using tivora::testing::skinParameters;
namespace fs = std::filesystem;

namespace {

// Records the panel's left edge at every move.
class MoveLog : public QObject
{
public:
    std::vector<int> xs;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Move)
            xs.push_back(static_cast<QWidget *>(watched)->x());
        return false;
    }
};

class SkinEditorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        dir = fs::path(tmp.path().toStdString());
        app = std::make_unique<AppWindow>();
        DesktopServices services;
        services.warning = [this](const QString &title, const QString &text) {
            warnings << title + "|" + text;
        };
        form = std::make_unique<TForm1>(StartupContext {dir / "tivora", dir, {}, false}, app.get(),
                                        services);
        form->show();
        // The options dialog as far as the panel sees it: narrowed to 423 pixels with
        // its borders, the view box at 204 and the skin box beside it.
        dialog.resize(417, 381);
        box2 = new QGroupBox(&dialog);
        box2->setGeometry(204, 0, 212, 351);
        box3 = new QGroupBox(&dialog);
        box3->setGeometry(420, 0, 212, 381);
        SkinChoosers choosers;
        choosers.font = [this](const FontSpec &current, QWidget *) {
            fontAsked.push_back(current);
            return fontAnswer;
        };
        choosers.color = [this](std::int32_t current, QWidget *) {
            colorAsked.push_back(current);
            return colorAnswer;
        };
        editor = std::make_unique<SkinEditor>(*form, box2, box3, choosers);
        dialog.show();
    }
    void TearDown() override
    {
        editor.reset();
        form.reset();
    }

    std::string skinFile() const
    {
        std::ifstream in(dir / "Skins" / "Default.ini", std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::vector<QLineEdit *> numberFields() const
    {
        const SkinEditor &e = *editor;
        return {e.clWidth, e.clHeight, e.psX, e.psY, e.ptX, e.ptY, e.pdX,
                e.pdY,     e.peX,      e.peY, e.lh,  e.lm,  e.ls};
    }
    void press(QWidget *w, Qt::MouseButton button)
    {
        QMouseEvent down(QEvent::MouseButtonPress, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)),
                         button, button, Qt::NoModifier);
        QApplication::sendEvent(w, &down);
        QMouseEvent up(QEvent::MouseButtonRelease, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)),
                       button, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &up);
    }
    // Changes every control of the open panel, through the choosers where it has them.
    void editEverything()
    {
        for (QLineEdit *field : numberFields())
            field->setText("123");
        editor->CheckBox1->setChecked(!form->model().options.h24);
        colorAnswer = 255;
        press(editor->ch, Qt::RightButton);
        colorAnswer = 65280;
        press(editor->cm, Qt::MiddleButton);
        colorAnswer = std::nullopt; // cancelled: the square keeps its colour
        press(editor->cs, Qt::LeftButton);
        fontAnswer = FontSpec {"Liberation Serif", 11, 255, false, true, true, true};
        press(editor->Label29, Qt::LeftButton);
        editor->tAl->setCurrentIndex(0);
        editor->eAl->setCurrentIndex(1);
    }

    QTemporaryDir tmp;
    fs::path dir;
    QStringList warnings;
    std::unique_ptr<AppWindow> app;
    std::unique_ptr<TForm1> form;
    QDialog dialog;
    QGroupBox *box2 = nullptr;
    QGroupBox *box3 = nullptr;
    std::unique_ptr<SkinEditor> editor;
    std::vector<FontSpec> fontAsked;
    std::vector<std::int32_t> colorAsked;
    std::optional<FontSpec> fontAnswer;
    std::optional<std::int32_t> colorAnswer;
};

} // namespace

TEST_F(SkinEditorTest, CancelChangesNothingAndReopeningShowsTheSkin)
{
    const TOptions before = form->model().options;
    const std::string file = skinFile();
    const QSize size = form->size();
    editor->Button5Click();
    ASSERT_EQ(editor->state(), SkinEditor::State::Open);
    editEverything();
    EXPECT_EQ(colorAsked, (std::vector<std::int32_t> {0, 0, 0}));
    EXPECT_EQ(editor->ch->color(), 255);
    EXPECT_EQ(editor->cs->color(), 0);
    ASSERT_EQ(fontAsked.size(), 1u);
    EXPECT_EQ(fontAsked[0], before.Date);
    EXPECT_EQ(editor->workingFont(1), fontAnswer);

    editor->Button7->click();
    EXPECT_EQ(editor->state(), SkinEditor::State::Closed);
    EXPECT_FALSE(editor->workingFont(0) || editor->workingFont(1) || editor->workingFont(2));
    EXPECT_EQ(skinParameters(form->model().options), skinParameters(before));
    EXPECT_EQ(skinFile(), file);
    EXPECT_EQ(form->size(), size);

    editor->Button5Click();
    EXPECT_EQ(editor->clWidth->text(), "139");
    EXPECT_EQ(editor->lh->text(), "25");
    EXPECT_EQ(editor->CheckBox1->isChecked(), before.h24);
    EXPECT_EQ(editor->ch->color(), before.hColor);
    EXPECT_EQ(editor->tAl->currentIndex(), 2);
    EXPECT_EQ(editor->workingFont(1), before.Date);
}

TEST_F(SkinEditorTest, ApplyStoresSavesResizesAndCloses)
{
    editor->Button5Click();
    editEverything();
    editor->Button6->click();
    EXPECT_EQ(editor->state(), SkinEditor::State::Closed);

    TOptions expected = form->model().options;
    expected.cWindth = expected.cHeight = 123;
    expected.strlX = expected.strlY = 123;
    expected.DigposX = expected.DigposY = expected.DateposX = expected.DateposY = 123;
    expected.DescposX = expected.DescposY = 123;
    expected.hLen = expected.mLen = expected.sLen = 123;
    expected.h24 = true;
    expected.hColor = 255, expected.mColor = 65280, expected.sColor = 0;
    expected.Date = *fontAnswer;
    expected.DigAl = 0, expected.DateAl = 2, expected.DescAl = 1;
    EXPECT_EQ(skinParameters(form->model().options), skinParameters(expected));
    EXPECT_EQ(form->size(), QSize(123, 123)) << "one system clock";

    // The file holds everything but the strike-out, which skin files do not keep.
    TOptions reloaded;
    QtBitmap bitmap;
    reloaded.Skin = "Default";
    LoadSkin(dir, reloaded, bitmap, form->dpi());
    expected.Date.strikeOut = false;
    EXPECT_EQ(skinParameters(reloaded), skinParameters(expected));
}

TEST_F(SkinEditorTest, AlignmentOutsideTheListIsStoredAs255)
{
    std::ofstream(dir / "Skins" / "Default.ini", std::ios::app) << "DigAl=7\nDescAl=1\n";
    form->LoadSkin();
    editor->Button5Click();
    EXPECT_EQ(editor->tAl->currentIndex(), -1);
    EXPECT_EQ(editor->eAl->currentIndex(), 1);
    editor->Button6->click();
    EXPECT_EQ(form->model().options.DigAl, 255);
    EXPECT_EQ(form->model().options.DescAl, 1);
    EXPECT_NE(skinFile().find("\nDigAl=255\n"), std::string::npos) << skinFile();
}

TEST_F(SkinEditorTest, SlidesInTwentyPixelStepsAndRefusesToStartAgain)
{
    MoveLog log;
    box3->installEventFilter(&log);
    // Events run between the steps: each tick tries to start the other slide.
    int ticks = 0;
    QObject *closer = nullptr;
    QTimer timer;
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        if (closer)
            editor->Button6Click(closer);
        editor->Button5Click();
    });
    timer.start();

    closer = editor->Button7;
    editor->Button5Click();
    EXPECT_EQ(log.xs,
              (std::vector<int> {419, 399, 379, 359, 339, 319, 299, 279, 259, 239, 219, 204}));
    EXPECT_EQ(editor->state(), SkinEditor::State::Open);
    EXPECT_TRUE(box3->isVisible());
    EXPECT_GT(ticks, 0);

    log.xs.clear();
    ticks = 0;
    closer = nullptr;
    editor->Button6Click(editor->Button7);
    EXPECT_EQ(log.xs,
              (std::vector<int> {224, 244, 264, 284, 304, 324, 344, 364, 384, 404, 424, 444, 419}));
    EXPECT_GT(ticks, 0);
    EXPECT_EQ(editor->state(), SkinEditor::State::Closed);
    EXPECT_FALSE(box3->isVisible());
}

TEST_F(SkinEditorTest, UnsavableSkinWarnsResizesAndKeepsThePanelOpen)
{
    const std::string file = skinFile();
    editor->Button5Click();
    editor->clWidth->setText("100");
    fs::remove(dir / "Skins" / "Default.bmp"); // the save reloads the image first
    editor->Button6->click();
    EXPECT_EQ(form->model().options.cWindth, 100);
    EXPECT_EQ(form->width(), 100);
    EXPECT_EQ(skinFile(), file);
    EXPECT_EQ(warnings, QStringList {"Warning|Не удалось сохранить настройки"})
        << "the warning of a failed save";
    EXPECT_EQ(editor->state(), SkinEditor::State::Open);
    EXPECT_TRUE(box3->isVisible());
}

TEST(FontColorDialog, ConfirmedUnchangedGivesTheFontBackWithItsColour)
{
    for (const FontSpec &font : {FontSpec {"Arial", 18, 0, true, false, false, false},
                                 FontSpec {"DejaVu Serif", 9, 255, false, true, true, true}}) {
        FontColorDialog dialog(font);
        EXPECT_EQ(dialog.chosenFont(), font) << font.name;
        dialog.setChosenColor(65536);
        EXPECT_EQ(dialog.chosenFont().color, 65536);
    }
}

TEST(FontColorDialog, TakesItsTextsFromTheMessages)
{
    MessageTable texts;
    texts.setText(FontChooserTitle, "Font");
    texts.setText(FontColorButton, "Choose...");
    FontColorDialog dialog(FontSpec {}, nullptr, texts);
    EXPECT_EQ(dialog.windowTitle(), "Font");
    EXPECT_EQ(dialog.findChild<QPushButton *>("fontColor")->text(), "Choose...");
}
