#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tivora {

// The translations that ship with the program, one CODE.lng file each. Russian is the
// program's built-in language: choosing it means having no language file.
const std::vector<std::string> &shippedLanguages();
constexpr std::string_view BuiltInLanguage = "ru";

// Whether the code names a language that --language accepts: a shipped one or Russian.
bool isLanguageCode(std::string_view code);

// Where the shipped translations may lie, in the order to look: "lang" beside the
// executable (a portable copy, the build folder), then the package's data folder
// relative to it (bin/../share/tivora/lang).
std::vector<std::filesystem::path> shippedLanguageFolders(const std::filesystem::path &executable);

// The locale variables that name the language of messages, as the environment gives
// them; an unset variable is a null pointer.
struct LocaleVariables
{
    const char *lcAll = nullptr; // LC_ALL
    const char *lcMessages = nullptr; // LC_MESSAGES
    const char *lang = nullptr; // LANG
};

// The shipped language the locale names, or an empty string: the first variable set
// and not empty decides (LC_ALL, then LC_MESSAGES, then LANG), by its part before any
// "_", "." or "@". "C", "POSIX" and their variants, Russian and languages that do not
// ship name none.
std::string localeLanguage(const LocaleVariables &locale);

// The translation to install at the very first start, or an empty string. Only an
// installed program (one that keeps its files per user) follows the locale, and only
// when it has no language file yet; a portable copy keeps the built-in texts until
// asked, as it always has.
std::string firstStartLanguage(bool installed, bool hasLanguageFile, const LocaleVariables &locale);

// Installs a translation as the language file: the shipped CODE.lng from the first of
// the folders that holds it, or, for Russian, no file at all. An existing language file
// is first copied to langfile.lng.bak, unless it is a copy of a shipped translation
// (which can be installed again at any time): switching between shipped languages thus
// never pushes the user's own file out of the backup. Returns an empty string on
// success, else what went wrong; on failure the language file is left as it was.
std::string installLanguage(const std::filesystem::path &languageFile, std::string_view code,
                            const std::vector<std::filesystem::path> &shippedFolders);

} // namespace tivora
