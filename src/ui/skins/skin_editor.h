#pragma once

#include "core/model/options.h"
#include "ui/skins/skin_choosers.h"
#include "core/skins/skin_host.h"
#include "ui/skins/skin_panel_widgets.h"

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace tivora {

// The skin editor panel of the options dialog. It fills the dialog's GroupBox3 with its
// controls, puts the "edit" button Button5 into GroupBox2, and slides the panel in over
// GroupBox2 and out again. Applying writes the values into the main window's skin
// parameters, saves the skin's parameter file, resizes and repaints the main window.
//
// The options dialog creates one editor after its group boxes, calls park() each time it
// is shown, and places Button5 and tabOrder() in its tab order. The panel's edits and
// working fonts go with the editor when the dialog closes while the panel is open.
class SkinEditor : public QObject
{
    Q_OBJECT
public:
    static constexpr int SlideStep = 20; // pixels
    static constexpr int SlidePauseMs = 5;
    static constexpr int DesignBorder = 3; // the dialog's border width in the layout

    enum class State { Closed, Opening, Open, Closing };

    SkinEditor(SkinHost &host, QGroupBox *GroupBox2, QGroupBox *GroupBox3,
               SkinChoosers choosers = {}, QObject *parent = nullptr);
    ~SkinEditor() override;

    State state() const { return m_state; }
    // The panel's focusable controls in their tab order.
    std::vector<QWidget *> tabOrder() const;

    // Hides the panel at its resting place just right of GroupBox2 and drops its
    // working fonts: the closed state.
    void park();

    // Handlers, named as the dialog's controls call them.
    void Button5Click();
    void Button6Click(QObject *sender); // Button6 applies, Button7 only closes
    void Label27Click();
    void Label29Click();
    void Label31Click();
    void chMouseDown(QObject *sender);

    // The panel's working fonts: present exactly while the panel is open.
    const std::optional<FontSpec> &workingFont(int index) const { return *m_fonts[index]; }

    QPushButton *Button5 = nullptr;
    QLineEdit *clWidth, *clHeight, *psX, *psY, *ptX, *ptY, *pdX, *pdY, *peX, *peY;
    QLineEdit *lh, *lm, *ls;
    QCheckBox *CheckBox1;
    ColorSquare *ch, *cm, *cs;
    LinkLabel *Label27, *Label29, *Label31;
    QComboBox *tAl, *dAl, *eAl;
    QPushButton *Button6, *Button7;

private:
    void build();
    void fill();
    // Applies the edits; false when the skin file could not be saved.
    bool apply();
    // Moves the panel in 20-pixel steps towards x while `more` holds for its position,
    // handling pending events and pausing between steps. False when the panel or this
    // editor went away meanwhile.
    template<class More> bool slide(int step, More more);
    void chooseFont(std::optional<FontSpec> &font);
    TOptions &options();

    SkinHost &m_host;
    QPointer<QGroupBox> m_box2;
    QPointer<QGroupBox> m_box3;
    SkinChoosers m_choosers;
    State m_state = State::Closed;
    std::optional<FontSpec> EditDigitsFont;
    std::optional<FontSpec> EditDateFont;
    std::optional<FontSpec> EditDescFont;
    std::optional<FontSpec> *const m_fonts[3] = {&EditDigitsFont, &EditDateFont, &EditDescFont};
};

} // namespace tivora
