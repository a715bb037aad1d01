#pragma once

#include "core/i18n/lang_messages.h"
#include "core/model/options.h"

#include <QDialog>
#include <cstdint>
#include <functional>
#include <optional>

class QColorDialog;
class QFontDialog;
class QPushButton;

namespace tivora {

// The two chooser dialogs of the skin editor, replaceable so that tests answer them.
// Each returns the chosen value, or nothing when the user cancels.
struct SkinChoosers
{
    // Face, style, size, underline, strike-out and text colour.
    std::function<std::optional<FontSpec>(const FontSpec &current, QWidget *parent)> font;
    // A colour as red + 256 x green + 65536 x blue.
    std::function<std::optional<std::int32_t>(std::int32_t current, QWidget *parent)> color;
};

// The desktop's choosers for every member left empty, with their titles and the font
// chooser's colour row taken from the messages.
SkinChoosers withDefaultChoosers(SkinChoosers choosers, MessageTable texts = {});

// A font chooser that also picks the text colour: the toolkit's font chooser (face,
// style, size, underline, strike-out) with a colour button below it.
class FontColorDialog : public QDialog
{
    Q_OBJECT
public:
    explicit FontColorDialog(const FontSpec &font, QWidget *parent = nullptr,
                             MessageTable texts = {});

    FontSpec chosenFont() const;
    std::int32_t chosenColor() const { return m_color; }
    void setChosenColor(std::int32_t color);

private:
    void pickColor();

    QFontDialog *m_fonts;
    QPushButton *m_colorButton;
    MessageTable m_texts;
    std::int32_t m_color;
    std::string m_givenName; // the face name the skin asked for
    QString m_shownFamily; // the installed face shown for it
};

// QFont with a skin font's face, point size and style (for the chooser; painting sizes
// fonts by pixels instead), and back. The colour is not part of a QFont.
QFont chooserFont(const FontSpec &font);
FontSpec fromChooserFont(const QFont &font, std::int32_t color);

} // namespace tivora
