#include "core/i18n/shipped_languages.h"

#include "platform/file_access.h"

#include <algorithm>

namespace tivora {

namespace fs = std::filesystem;

namespace {

// Far above any real language file; keeps a stray huge file from being read whole.
constexpr std::uintmax_t MaxLanguageFileBytes = 4u * 1024u * 1024u;

fs::path shippedFile(const fs::path &folder, std::string_view code)
{
    return folder / (std::string(code) + ".lng");
}

bool isShippedCopy(const std::string &bytes, const std::vector<fs::path> &folders)
{
    for (const fs::path &folder : folders) {
        for (const std::string &code : shippedLanguages()) {
            std::string shipped;
            if (readFile(shippedFile(folder, code), shipped, MaxLanguageFileBytes)
                && shipped == bytes)
                return true;
        }
    }
    return false;
}

} // namespace

const std::vector<std::string> &shippedLanguages()
{
    static const std::vector<std::string> codes {"en", "de", "fr", "es"};
    return codes;
}

bool isLanguageCode(std::string_view code)
{
    return code == BuiltInLanguage
        || std::find(shippedLanguages().begin(), shippedLanguages().end(), code)
        != shippedLanguages().end();
}

std::vector<fs::path> shippedLanguageFolders(const fs::path &executable)
{
    const fs::path folder = executable.parent_path();
    return {folder / "lang", folder.parent_path() / "share" / "tivora" / "lang"};
}

std::string localeLanguage(const LocaleVariables &locale)
{
    const char *name = nullptr;
    for (const char *v : {locale.lcAll, locale.lcMessages, locale.lang}) {
        if (v && *v) {
            name = v;
            break;
        }
    }
    if (!name)
        return {};
    const std::string_view text(name);
    const std::string language(text.substr(0, text.find_first_of("_.@")));
    if (language == BuiltInLanguage || !isLanguageCode(language))
        return {};
    return language;
}

std::string firstStartLanguage(bool installed, bool hasLanguageFile, const LocaleVariables &locale)
{
    if (!installed || hasLanguageFile)
        return {};
    return localeLanguage(locale);
}

std::string installLanguage(const fs::path &languageFile, std::string_view code,
                            const std::vector<fs::path> &shippedFolders)
{
    if (!isLanguageCode(code))
        return "unknown language " + std::string(code);
    std::string translation;
    if (code != BuiltInLanguage) {
        const auto found = std::find_if(shippedFolders.begin(), shippedFolders.end(),
                                        [&](const fs::path &folder) {
                                            return readFile(shippedFile(folder, code), translation,
                                                            MaxLanguageFileBytes);
                                        });
        if (found == shippedFolders.end())
            return "no translation " + std::string(code) + ".lng in "
                + shippedFolders.front().string() + " or " + shippedFolders.back().string();
    }

    // The backup and the new file are made in the folder.
    if (!canWriteFolder(languageFile.parent_path()))
        return "cannot write in " + languageFile.parent_path().string();
    std::string current;
    const bool hasCurrent = !isMissing(languageFile);
    if (hasCurrent) {
        if (!readFile(languageFile, current, MaxLanguageFileBytes))
            return "cannot read " + languageFile.string();
        fs::path backup = languageFile;
        backup += ".bak";
        if (!isShippedCopy(current, shippedFolders) && !writeFileAtomically(backup, current))
            return "cannot write " + backup.string();
    }
    if (code == BuiltInLanguage) {
        std::error_code ec;
        if (hasCurrent && !fs::remove(languageFile, ec))
            return "cannot remove " + languageFile.string();
        return {};
    }
    if (!writeFileAtomically(languageFile, translation))
        return "cannot write " + languageFile.string();
    return {};
}

} // namespace tivora
