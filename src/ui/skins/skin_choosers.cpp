#include "ui/skins/skin_choosers.h"

#include "core/base/colour.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

namespace tivora {

namespace {

QColor toQColor(std::int32_t ref)
{
    const Color c = Color::fromRef(ref);
    return QColor(c.r, c.g, c.b);
}

std::int32_t fromQColor(const QColor &c)
{
    return Color {std::uint8_t(c.red()), std::uint8_t(c.green()), std::uint8_t(c.blue())}.ref();
}

QString message(const MessageTable &texts, Message n)
{
    return QString::fromStdString(texts.text(n));
}

std::optional<std::int32_t> chooseColor(std::int32_t current, QWidget *parent,
                                        const MessageTable &texts)
{
    QColorDialog dialog(toQColor(current), parent);
    dialog.setObjectName("cd1");
    dialog.setWindowTitle(message(texts, ColorChooserTitle));
    // The toolkit's own dialog always shows the custom colours, unlike some desktop ones.
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || !dialog.selectedColor().isValid())
        return std::nullopt;
    const QColor chosen = dialog.selectedColor();
    // Confirming the colour as it came keeps the value exactly, high bits included.
    if (chosen == toQColor(current))
        return current;
    return fromQColor(chosen);
}

std::optional<FontSpec> chooseFont(const FontSpec &current, QWidget *parent,
                                   const MessageTable &texts)
{
    FontColorDialog dialog(current, parent, texts);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.chosenFont();
}

} // namespace

SkinChoosers withDefaultChoosers(SkinChoosers choosers, MessageTable texts)
{
    if (!choosers.font)
        choosers.font = [texts](const FontSpec &current, QWidget *parent) {
            return chooseFont(current, parent, texts);
        };
    if (!choosers.color)
        choosers.color = [texts](std::int32_t current, QWidget *parent) {
            return chooseColor(current, parent, texts);
        };
    return choosers;
}

QFont chooserFont(const FontSpec &font)
{
    QFont f;
    if (!font.name.empty())
        f.setFamily(QString::fromStdString(font.name));
    if (font.size > 0)
        f.setPointSize(font.size);
    f.setBold(font.bold);
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    f.setStrikeOut(font.strikeOut);
    return f;
}

FontSpec fromChooserFont(const QFont &font, std::int32_t color)
{
    FontSpec result;
    result.name = font.family().toStdString();
    result.size = font.pointSize() > 0 ? font.pointSize() : int(std::lround(font.pointSizeF()));
    result.color = color;
    result.bold = font.bold();
    result.italic = font.italic();
    result.underline = font.underline();
    result.strikeOut = font.strikeOut();
    return result;
}

FontColorDialog::FontColorDialog(const FontSpec &font, QWidget *parent, MessageTable texts)
    : QDialog(parent),
      m_fonts(new QFontDialog(this)),
      m_colorButton(new QPushButton(this)),
      m_texts(std::move(texts)),
      m_color(font.color)
{
    setObjectName("fd1");
    setWindowTitle(message(m_texts, FontChooserTitle));
    // The font chooser is embedded as a plain widget; this dialog supplies the buttons.
    m_fonts->setWindowFlags(Qt::Widget);
    m_fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    // A face that is not installed is shown as the face that stands in for it, so the
    // chooser lists its real styles; confirmed unchanged, the skin keeps its own name.
    QFont shown = chooserFont(font);
    m_givenName = font.name;
    m_shownFamily = QFontInfo(shown).family();
    shown.setFamily(m_shownFamily);
    m_fonts->setCurrentFont(shown);

    auto *colorLabel = new QLabel(message(m_texts, FontColorLabel), this);
    m_colorButton->setObjectName("fontColor");
    m_colorButton->setText(message(m_texts, FontColorButton));
    colorLabel->setBuddy(m_colorButton);
    connect(m_colorButton, &QPushButton::clicked, this, &FontColorDialog::pickColor);
    setChosenColor(m_color);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *colorRow = new QHBoxLayout;
    colorRow->addWidget(colorLabel);
    colorRow->addWidget(m_colorButton);
    colorRow->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_fonts);
    layout->addLayout(colorRow);
    layout->addWidget(buttons);
}

FontSpec FontColorDialog::chosenFont() const
{
    FontSpec result = fromChooserFont(m_fonts->currentFont(), m_color);
    if (!m_givenName.empty() && result.name == m_shownFamily.toStdString())
        result.name = m_givenName;
    return result;
}

void FontColorDialog::setChosenColor(std::int32_t color)
{
    m_color = color;
    QPixmap swatch(16, 16);
    swatch.fill(toQColor(color));
    m_colorButton->setIcon(QIcon(swatch));
}

void FontColorDialog::pickColor()
{
    if (const auto chosen = chooseColor(m_color, this, m_texts))
        setChosenColor(*chosen);
}

} // namespace tivora
