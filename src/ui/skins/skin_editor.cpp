#include "ui/skins/skin_editor.h"

#include "core/base/guard.h"
#include "core/skins/skin_fields.h"
#include "ui/kit/dialog_kit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <algorithm>
#include <stdexcept>
#include <string>

namespace tivora {

namespace {

QLineEdit *edit(QWidget *parent, const char *name, int x, int y)
{
    return place(new QLineEdit(QStringLiteral("9999"), parent), name, x, y, 31, 21);
}

QComboBox *alignmentList(QWidget *parent, const char *name, int x, int y)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(name);
    list->addItems({QStringLiteral("По левому краю"), QStringLiteral("По правому краю"),
                    QStringLiteral("По центру")});
    list->setGeometry(x, y, 100, 21);
    return list;
}

// The edit of a number field, found by its name.
QLineEdit *numberEdit(const SkinEditor &e, const SkinNumberField &field)
{
    for (QLineEdit *edit : {e.clWidth, e.clHeight, e.psX, e.psY, e.ptX, e.ptY, e.pdX, e.pdY, e.peX,
                            e.peY, e.lh, e.lm, e.ls})
        if (edit->objectName() == QLatin1String(field.name))
            return edit;
    throw std::logic_error(std::string("no skin editor field ") + field.name);
}

} // namespace

SkinEditor::SkinEditor(SkinHost &host, QGroupBox *GroupBox2, QGroupBox *GroupBox3,
                       SkinChoosers choosers, QObject *parent)
    : QObject(parent),
      m_host(host),
      m_box2(GroupBox2),
      m_box3(GroupBox3),
      m_choosers(withDefaultChoosers(std::move(choosers)))
{
    setObjectName("skinEditor");
    build();
    park();
}

SkinEditor::~SkinEditor() = default;

TOptions &SkinEditor::options()
{
    return m_host.skinOptions();
}

void SkinEditor::build()
{
    QGroupBox *box = m_box3;
    box->setTitle(QStringLiteral("Настройка скина"));
    box->resize(212, 381);
    box->setAutoFillBackground(true); // it covers the view box when open

    Button5 = new QPushButton(QStringLiteral("Редактировать"), m_box2);
    Button5->setObjectName("Button5");
    Button5->setGeometry(105, 324, 101, 21);
    connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });

    // The controls are made in the order the language file lists them (labels,
    // buttons, alignment lists, check box; the rules, fields and squares it does not
    // list), so a fresh language file keeps that order.
    auto *bevel3 = new Rule(box, "Bevel3", 5, 176, 202);
    auto *bevel4 = new Rule(box, "Bevel4", 5, 263, 202);
    const QString x = QStringLiteral("x");
    label(box, "Label3", QStringLiteral("Позиция стрелок"), 10, 54);
    label(box, "Label4", x, 167, 54);
    label(box, "Label5", QStringLiteral("Позиция цифр врем."), 10, 102);
    label(box, "Label7", x, 167, 102);
    label(box, "Label9", QStringLiteral("Позиция даты"), 10, 127);
    label(box, "Label10", x, 167, 127);
    label(box, "Label11", QStringLiteral("Позиция описания"), 10, 152);
    label(box, "Label12", x, 167, 152);
    heading(bevel3, "Label13", QStringLiteral(" Длины и цвета "), 15, 170);
    label(box, "Label16", QStringLiteral("Часовой стрелки"), 10, 189);
    label(box, "Label23", QStringLiteral("Минутной стрелки"), 10, 214);
    label(box, "Label24", QStringLiteral("Секундной стрелки"), 10, 239);
    heading(bevel4, "Label25", QStringLiteral(" Надписи "), 15, 257);
    label(box, "Label26", QStringLiteral("Время"), 10, 276);
    Label27 = fontLink(box, "Label27", 65, 276);
    label(box, "Label28", QStringLiteral("Дата"), 10, 299);
    Label29 = fontLink(box, "Label29", 65, 299);
    label(box, "Label30", QStringLiteral("Описание"), 10, 323);
    Label31 = fontLink(box, "Label31", 65, 323);
    label(box, "Label32", QStringLiteral("Размер часов"), 10, 20);
    label(box, "Label33", x, 167, 20);

    Button6 = new QPushButton(QStringLiteral("Изменить скин"), box);
    Button6->setObjectName("Button6");
    Button6->setGeometry(5, 351, 116, 25);
    Button7 = new QPushButton(QStringLiteral("Отмена"), box);
    Button7->setObjectName("Button7");
    Button7->setGeometry(132, 351, 75, 25);

    tAl = alignmentList(box, "tAl", 107, 270);
    dAl = alignmentList(box, "dAl", 107, 295);
    eAl = alignmentList(box, "eAl", 107, 320);

    CheckBox1 = new QCheckBox(QStringLiteral("24 часовой циферблат"), box);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setGeometry(10, 75, 196, 17);

    clWidth = edit(box, "clWidth", 134, 17);
    clHeight = edit(box, "clHeight", 175, 17);
    psX = edit(box, "psX", 134, 51);
    psY = edit(box, "psY", 175, 51);
    ptX = edit(box, "ptX", 134, 99);
    ptY = edit(box, "ptY", 175, 99);
    pdX = edit(box, "pdX", 134, 124);
    pdY = edit(box, "pdY", 175, 124);
    peX = edit(box, "peX", 134, 149);
    peY = edit(box, "peY", 175, 149);
    lh = edit(box, "lh", 134, 186);
    lm = edit(box, "lm", 134, 211);
    ls = edit(box, "ls", 134, 236);
    ch = colorSquare(box, "ch", 171, 186);
    cm = colorSquare(box, "cm", 171, 211);
    cs = colorSquare(box, "cs", 171, 236);

    connect(Label27, &LinkLabel::clicked, this, [this] { Label27Click(); });
    connect(Label29, &LinkLabel::clicked, this, [this] { Label29Click(); });
    connect(Label31, &LinkLabel::clicked, this, [this] { Label31Click(); });
    for (ColorSquare *square : {ch, cm, cs})
        connect(square, &ColorSquare::pressed, this, [this, square] { chMouseDown(square); });
    connect(Button6, &QPushButton::clicked, this, [this] { Button6Click(Button6); });
    connect(Button7, &QPushButton::clicked, this, [this] { Button6Click(Button7); });
}

std::vector<QWidget *> SkinEditor::tabOrder() const
{
    return {clWidth, clHeight, psX, psY, CheckBox1, ptX, ptY, pdX,     pdY,    peX,
            peY,     lh,       lm,  ls,  tAl,       dAl, eAl, Button6, Button7};
}

void SkinEditor::park()
{
    if (m_box2 && m_box3) {
        m_box3->move(m_box2->x() + m_box2->width() + 3, m_box3->y());
        m_box3->hide();
    }
    for (auto *font : m_fonts)
        font->reset();
    m_state = State::Closed;
}

void SkinEditor::fill()
{
    const TOptions &o = options();
    for (const SkinNumberField &field : SkinNumberFields)
        numberEdit(*this, field)->setText(QString::number(field.get(o)));
    CheckBox1->setChecked(o.h24);
    ch->setColor(o.hColor);
    cm->setColor(o.mColor);
    cs->setColor(o.sColor);
    EditDigitsFont = o.Digits;
    EditDateFont = o.Date;
    EditDescFont = o.Desc;
    tAl->setCurrentIndex(alignmentIndex(o.DigAl));
    dAl->setCurrentIndex(alignmentIndex(o.DateAl));
    eAl->setCurrentIndex(alignmentIndex(o.DescAl));
}

bool SkinEditor::apply()
{
    TOptions &o = options();
    for (const SkinNumberField &field : SkinNumberFields)
        applySkinNumber(o, field, numberEdit(*this, field)->text().toStdString());
    o.h24 = CheckBox1->isChecked();
    o.hColor = ch->color();
    o.mColor = cm->color();
    o.sColor = cs->color();
    o.Digits = EditDigitsFont.value_or(o.Digits);
    o.Date = EditDateFont.value_or(o.Date);
    o.Desc = EditDescFont.value_or(o.Desc);
    o.DigAl = alignmentCode(tAl->currentIndex());
    o.DateAl = alignmentCode(dAl->currentIndex());
    o.DescAl = alignmentCode(eAl->currentIndex());
    // The window follows the new parameters even when the file cannot be written, so
    // it never paints a cell size it was not sized for; the user is told, as by a failed
    // settings save, and the file gets them at the next save that succeeds.
    bool saved = true;
    try {
        m_host.SaveSkin();
    } catch (...) {
        saved = false;
    }
    m_host.SetFormSize();
    m_host.PaintClocks();
    if (!saved)
        m_host.warnSaveFailed();
    return saved;
}

template<class More> bool SkinEditor::slide(int step, More more)
{
    const QPointer<SkinEditor> self(this);
    while (m_box3 && more(m_box3->x())) {
        m_box3->move(m_box3->x() + step, m_box3->y());
        // The clocks keep ticking and input reaches the dialog while the panel moves.
        QCoreApplication::processEvents();
        if (!self)
            return false;
        QThread::msleep(SlidePauseMs);
    }
    return m_box2 && m_box3;
}

void SkinEditor::Button5Click()
{
    // Ignored while the panel is open or moving: that would refill the edits and make
    // a second set of working fonts.
    if (m_state != State::Closed || !m_box2 || !m_box3)
        return;
    m_state = State::Opening;
    const QPointer<SkinEditor> self(this);
    bool arrived = false;
    guarded([&] {
        fill();
        m_box3->show();
        m_box3->raise();
        const int target = m_box2->x();
        if (!slide(-SlideStep, [target](int x) { return x - SlideStep > target; }))
            return;
        m_box3->move(target, m_box3->y());
        arrived = true;
    });
    if (!self)
        return;
    if (arrived)
        m_state = State::Open;
    else
        park();
}

void SkinEditor::Button6Click(QObject *sender)
{
    if (m_state != State::Open || !m_box2 || !m_box3)
        return;
    m_state = State::Closing;
    const QPointer<SkinEditor> self(this);
    guarded([&] {
        if (sender == Button6 && !apply()) {
            // The edits could not be saved: the panel stays open, as a failed step would
            // leave it.
            m_state = State::Open;
            return;
        }
        // The window's outer width: its frame, or at least the 3-pixel borders the
        // layout counts on where the window manager draws none.
        const QWidget *window = m_box3->window();
        const int outerWidth =
            std::max(window->frameGeometry().width(), window->width() + 2 * DesignBorder);
        slide(SlideStep, [outerWidth](int x) { return x < outerWidth + 5; });
    });
    if (self && m_state == State::Closing)
        park();
}

void SkinEditor::chooseFont(std::optional<FontSpec> &font)
{
    if (m_state != State::Open || !font)
        return;
    guarded([&] {
        if (const auto chosen = m_choosers.font(*font, m_box3))
            font = *chosen;
    });
}

void SkinEditor::Label27Click()
{
    chooseFont(EditDigitsFont);
}

void SkinEditor::Label29Click()
{
    chooseFont(EditDateFont);
}

void SkinEditor::Label31Click()
{
    chooseFont(EditDescFont);
}

void SkinEditor::chMouseDown(QObject *sender)
{
    auto *square = qobject_cast<ColorSquare *>(sender);
    if (m_state != State::Open || !square)
        return;
    guarded([&] {
        if (const auto chosen = m_choosers.color(square->color(), m_box3))
            square->setColor(*chosen);
    });
}

} // namespace tivora
