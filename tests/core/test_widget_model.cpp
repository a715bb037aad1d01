#include "core/model/widget_model.h"
#include "core/time/time_zones.h"
#include "core/test_base_support.h"

#include <stdexcept>
#include <sys/stat.h>

using namespace tivora;
using tivora::testing::ScratchFolder;

namespace {

// Records what the model's sequences ask of the window.
struct FakeView : WidgetView
{
    std::string steps;
    WindowPlacement where {false, 40, 30};
    bool skinFails = false;
    bool skinSaveFails = false;
    std::vector<std::string> warnings;

    WindowPlacement placement() const override { return where; }
    void applyPlacement(const WindowPlacement &p) override
    {
        where = p;
        steps += "place ";
    }
    void loadSkin() override
    {
        steps += "skin ";
        if (skinFails)
            throw std::runtime_error("damaged image");
    }
    void useBuiltInSkin(const std::string &reason) override { steps += "builtin:" + reason + " "; }
    void saveSkin() override
    {
        steps += "saveskin ";
        if (skinSaveFails)
            throw std::runtime_error("read-only");
    }
    void setOpacitySwitch(bool on) override { steps += on ? "opacity:on " : "opacity:off "; }
    void startTicking() override { steps += "tick "; }
    void warn(const std::string &title, const std::string &text) override
    {
        warnings.push_back(title + "|" + text);
    }
};

class Model : public ScratchFolder
{
protected:
    WidgetModel model() { return WidgetModel(dir, dir / "tivora.ini"); }
};

} // namespace

TEST_F(Model, LoadSequenceRunsInOrder)
{
    const struct
    {
        const char *settings;
        bool skinFails;
        const char *steps;
        bool systemTimeShown;
        int left;
    } cases[] = {
        // No user clocks: system time is forced on; the position defaults to the window's.
        {"[Main]\nShowSystemTime=0\n", false, "place skin opacity:off tick ", true, 30},
        // User clocks keep the setting; any translucent setting switches opacity on.
        {"[Main]\nShowSystemTime=0\nPassiveTr=100\npLeft=7\n[Tivora]\nClock_01_h=3\n", false,
         "place skin opacity:on tick ", false, 7},
        // A skin that cannot be loaded gives way to the built-in one; the rest goes on.
        {"[Main]\nShowSystemTime=0\nActiveTr=1\n", true,
         "place skin builtin:damaged image opacity:on tick ", true, 30},
    };
    for (const auto &c : cases) {
        put(dir / "tivora.ini", c.settings);
        WidgetModel m = model();
        FakeView view;
        view.skinFails = c.skinFails;
        m.load(view);
        EXPECT_EQ(view.steps, c.steps) << c.settings;
        EXPECT_EQ(m.options.ShowSystemTime, c.systemTimeShown) << c.settings;
        EXPECT_EQ(view.where.left, c.left) << c.settings;
        EXPECT_TRUE(view.where.stayOnTop) << "StayOnTop defaults to on";
    }
}

TEST_F(Model, SaveWritesSettingsThenSkinAndWarnsWithMessageOneOnFailure)
{
    WidgetModel m = model();
    m.clocks = {{-2, 30, "West"}, {0, 0, "System"}};
    FakeView view;
    EXPECT_TRUE(m.save(view));
    EXPECT_EQ(view.steps, "saveskin ");
    EXPECT_NE(get(dir / "tivora.ini").find("pTop=40\npLeft=30\n[Tivora]\nClock_01_h=-2"),
              std::string::npos);
    EXPECT_TRUE(view.warnings.empty());

    view.skinSaveFails = true;
    m.LangMessages.setText(1, "Could not save");
    EXPECT_FALSE(m.save(view));
    ::chmod((dir / "tivora.ini").c_str(), 0444);
    view.skinSaveFails = false;
    view.steps.clear();
    EXPECT_FALSE(m.save(view));
    EXPECT_EQ(view.steps, "") << "a failed settings write goes no further";
    EXPECT_EQ(view.warnings,
              (std::vector<std::string> {"Warning|Could not save", "Warning|Could not save"}));
}

TEST(ModelRules, OpacityIsSetOnlyWhenItChanges)
{
    WidgetModel m("/nowhere", "/nowhere/tivora.ini");
    m.options.ActiveTr = 255;
    m.options.PassiveTr = 100;
    EXPECT_EQ(m.opacityFor(true), std::nullopt) << "switched off";
    EXPECT_EQ(m.setOpacitySwitch(true), WidgetModel::InitialOpacity);
    // Repaints with the cursor over, over, away, away, over: three changes reach the window.
    std::vector<int> applied;
    for (bool over : {true, true, false, false, true})
        if (const auto value = m.opacityFor(over))
            applied.push_back(*value);
    EXPECT_EQ(applied, (std::vector<int> {255, 100, 255}));
    EXPECT_EQ(m.setOpacitySwitch(false), 255);
    EXPECT_EQ(m.opacityFor(false), std::nullopt);
}

TEST(ModelRules, FormSizeIsCappedAndSortsTheList)
{
    WidgetModel m("/nowhere", "/nowhere/tivora.ini");
    m.clocks = {{5, 0, "b"}, {-1, 0, "a"}};
    m.options.Width = 2;
    m.options.cWindth = 100;
    m.options.cHeight = 3; // raised to 10
    EXPECT_EQ(m.formSize(), (GridSize {2, 1, 200, 10}));
    EXPECT_EQ(m.clocks.front().desc, "a");
    m.options.Width = 1;
    m.options.cHeight = 60000;
    EXPECT_EQ(m.formSize().height, WidgetModel::MaxSide);
}

TEST(ModelRules, SmallDecisions)
{
    EXPECT_TRUE(WidgetModel::shouldMinimize(false, true));
    EXPECT_FALSE(WidgetModel::shouldMinimize(true, true)) << "minimized already";
    EXPECT_FALSE(WidgetModel::shouldMinimize(false, false)) << "no tray to come back from";

    EXPECT_TRUE(WidgetModel::closeOthersRequested({"/close"}));
    EXPECT_FALSE(WidgetModel::closeOthersRequested({"/CLOSE"}));
    EXPECT_FALSE(WidgetModel::closeOthersRequested({"x", "/close"}));
    EXPECT_FALSE(WidgetModel::closeOthersRequested({}));

    const std::pair<const char *, const char *> separators[] = {
        {"HH:mm:ss", ":"}, {"h.mm.ss AP", "."}, {"HH 'h' mm", ":"},
        {"mm ss", ":"},    {"HH", ":"},         {"H\xe6\x99\x82mm", ":"},
    };
    for (const auto &[format, separator] : separators)
        EXPECT_EQ(WidgetModel::timeSeparatorOf(format), separator) << format;

    EXPECT_EQ(WidgetModel::backgroundColor(nullptr), White);
}

TEST(ModelRules, ZoneNamesAreTzPathsWithoutDotParts)
{
    const std::pair<std::string, bool> names[] = {
        {"Europe/Paris", true},
        {"America/Argentina/Buenos_Aires", true},
        {"Etc/GMT+5", true},
        {"Etc/GMT-14.x", true},
        {std::string(128, 'a'), true},
        {std::string(129, 'a'), false},
        {"", false},
        {".", false},
        {"Europe/.", false},
        {"./Paris", false},
        {"Europe/../../etc/passwd", false},
        {"/Europe/Paris", false},
        {"Europe//Paris", false},
        {"Europe/Paris/", false},
        {"Europe/Par is", false},
    };
    for (const auto &[name, valid] : names)
        EXPECT_EQ(isZoneName(name), valid) << name;
}
