#pragma once

#include <string>
#include <vector>

namespace tivora {

// The numbers of the messages: texts the program shows outside its windows' own
// controls. Each is key "Lang%.2d" of the language file's "Lang" section.
enum Message : int {
    SaveFailedMessage = 1, // the warning when the settings cannot be saved
    FontChooserTitle = 2,
    FontColorLabel = 3, // the font chooser's colour row
    FontColorButton = 4,
    ColorChooserTitle = 5,
    WarningTitle = 6, // the title of the warning box
};

// Localized message texts, numbered from 1, holding the built-in texts until the
// language file replaces them. The main window keeps one as its `LangMessages`.
class MessageTable
{
public:
    MessageTable();
    // Message n (from 1); an empty text for a number the table does not hold.
    const std::string &text(int n) const;
    void setText(int n, std::string text);
    int count() const { return int(m_texts.size()); }

private:
    std::vector<std::string> m_texts;
};

// The shift of clocks moved away from now, as their description shows it: later or
// earlier, under a day or a day and more. Patterns with {d} days, {h} hours and {mm}
// minutes.
constexpr int MsgLater = 10;
constexpr int MsgLaterDays = 11;
constexpr int MsgEarlier = 12;
constexpr int MsgEarlierDays = 13;

} // namespace tivora
