#include "core/i18n/shipped_languages.h"

#include "core/test_base_support.h"

using namespace tivora;

TEST(ShippedLanguages, FirstStartFollowsTheLocaleOnlyWhenInstalledAndWithoutALanguageFile)
{
    struct Case
    {
        const char *lcAll, *lcMessages, *lang;
        const char *installed; // what an installed program without a language file picks
    };
    const Case cases[] = {
        {nullptr, nullptr, "C", ""},
        {nullptr, nullptr, "POSIX", ""},
        {nullptr, nullptr, "C.UTF-8", ""},
        {nullptr, nullptr, "en_GB.UTF-8", "en"},
        {nullptr, nullptr, "de_AT", "de"},
        {nullptr, nullptr, "fr_CA@euro", "fr"},
        {nullptr, nullptr, "pt_BR", ""}, // not shipped
        {nullptr, nullptr, "ru_RU", ""}, // the built-in texts
        {nullptr, nullptr, "", ""},
        {nullptr, nullptr, nullptr, ""},
        {"", "", "es_ES.UTF-8", "es"}, // empty variables count as unset
        {"C", nullptr, "de_DE.UTF-8", ""}, // LC_ALL overrides
        {nullptr, "fr_FR", "de_DE", "fr"}, // LC_MESSAGES before LANG
    };
    for (const Case &c : cases) {
        const LocaleVariables locale {c.lcAll, c.lcMessages, c.lang};
        const std::string name = c.lang ? c.lang : "(unset)";
        EXPECT_EQ(firstStartLanguage(true, false, locale), c.installed) << name;
        EXPECT_EQ(firstStartLanguage(false, false, locale), "") << "portable: " << name;
        EXPECT_EQ(firstStartLanguage(true, true, locale), "") << "has a file: " << name;
    }
}

class InstallLanguage : public tivora::testing::ScratchFolder
{
protected:
    void SetUp() override
    {
        ScratchFolder::SetUp();
        std::filesystem::create_directory(dir / "lang");
        put(dir / "lang" / "en.lng", "[Menu]\nN4=Exit\n");
        put(dir / "lang" / "de.lng", "[Menu]\nN4=Beenden\n");
    }
    std::string install(const char *code)
    {
        return installLanguage(file(), code, {dir / "missing", dir / "lang"});
    }
    std::filesystem::path file() const { return dir / "langfile.lng"; }
    std::filesystem::path backup() const { return dir / "langfile.lng.bak"; }
};

TEST_F(InstallLanguage, KeepsTheUsersOwnFileAsBackupAcrossSwitches)
{
    put(file(), "[Menu]\nN4=Mine\n");
    EXPECT_EQ(install("de"), "");
    EXPECT_EQ(get(file()), "[Menu]\nN4=Beenden\n");
    EXPECT_EQ(get(backup()), "[Menu]\nN4=Mine\n");

    // A shipped copy is not worth a backup: the user's file stays there.
    EXPECT_EQ(install("en"), "");
    EXPECT_EQ(get(file()), "[Menu]\nN4=Exit\n");
    EXPECT_EQ(get(backup()), "[Menu]\nN4=Mine\n");

    // Russian: no language file, so the built-in texts show.
    EXPECT_EQ(install("ru"), "");
    EXPECT_FALSE(std::filesystem::exists(file()));
    EXPECT_EQ(install("ru"), "") << "nothing to remove";

    EXPECT_NE(install("fr"), "") << "not shipped here";
    EXPECT_NE(install("xx"), "");
    EXPECT_FALSE(std::filesystem::exists(file())) << "failures install nothing";
}

TEST_F(InstallLanguage, AFileThatCannotBeBackedUpStays)
{
    put(file(), "[Menu]\nN4=Mine\n");
    setMode(dir, 0555);
    EXPECT_NE(install("de"), "");
    EXPECT_EQ(get(file()), "[Menu]\nN4=Mine\n");
}
