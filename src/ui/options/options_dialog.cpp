#include "ui/options/options_dialog.h"

#include "core/base/guard.h"
#include "ui/i18n/qt_language.h"
#include "ui/kit/dialog_kit.h"
#include "ui/options/clock_list_box.h"
#include "ui/options/option_widgets.h"
#include "core/options/skin_list.h"
#include "ui/skins/skin_editor.h"
#include "core/skins/skin_store.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <algorithm>
#include <stdexcept>

namespace tivora {

namespace {

// A control of the dialog by its name; the tables of the form name only controls that exist.
template<class W> W *control(const QObject *dialog, const char *name)
{
    W *found = dialog->findChild<W *>(QLatin1String(name));
    if (!found)
        throw std::logic_error(std::string("no control ") + name);
    return found;
}

} // namespace

Form2::Form2(WidgetModel &model, OptionsHost &host, TimeZoneSource zones)
    : QDialog(nullptr,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_model(model),
      m_host(host),
      m_zones(std::move(zones))
{
    setObjectName("Form2");
    setWindowTitle(QStringLiteral("Опции"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(designFont());
    setFixedSize(DesignWidth, DesignHeight);

    Button1 = button(this, "Button1", QStringLiteral("&Ok"), 426, 354, 87, 25);
    Button2 = button(this, "Button2", QStringLiteral("&Отмена"), 546, 354, 87, 25);
    GroupBox1 = place(new CaptionBox(QStringLiteral(" Часы "), this), "GroupBox1", 0, 0, 202, 381);
    GroupBox2 = place(new CaptionBox(QStringLiteral(" Вид "), this), "GroupBox2", 204, 0, 212, 351);
    // The skin editor's box: its place only; the skin editor fills it.
    GroupBox3 = place(new CaptionBox(QStringLiteral("Настройка скина"), this), "GroupBox3", 420, 0,
                      212, 381);
    buildClockBox();
    buildViewBox();
    skinEditor =
        new SkinEditor(host, GroupBox2, GroupBox3, withDefaultChoosers({}, model.LangMessages), this);
    Button5 = skinEditor->Button5;
    applyTabOrder();

    connect(Button1, &QPushButton::clicked, this, &Form2::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Form2::Button2Click);
    connect(this, &QDialog::finished, this, [this] { FormClose(); });

    guarded([this] { FormCreate(); });
}

Form2::~Form2()
{
    // Closed without finishing (the program ending under the dialog): the menu item
    // must not stay disabled.
    FormClose();
}

void Form2::buildViewBox()
{
    QGroupBox *box = GroupBox2;
    // The lines first, then the bold headings that stand on them.
    auto *bevel2 = new Rule(box, "Bevel2", 5, 203, 202);
    auto *bevel1 = new Rule(box, "Bevel1", 5, 268, 202);
    Bevel2 = bevel2;
    Bevel1 = bevel1;
    Label15 = label(box, "Label15", QStringLiteral("Циферблатов в ряд"), 5, 278);
    Label14 = heading(bevel1, "Label14", QStringLiteral(" Вид "), 15, 262, 2);
    Label18 = label(box, "Label18", QStringLiteral("Активное окно"), 25, 214);
    Label19 = label(box, "Label19", QStringLiteral("100%"), 180, 214);
    Label20 = label(box, "Label20", QStringLiteral("Не активное окно"), 10, 234);
    Label21 = label(box, "Label21", QStringLiteral("100%"), 180, 234);
    Label17 = heading(bevel2, "Label17", QStringLiteral(" Прозрачность (w2k, XP) "), 15, 197, 2);
    Label8 = label(box, "Label8", QStringLiteral("Скин:"), 5, 302);
    cb9 = checkBox(box, "cb9", QStringLiteral("Системное время"), 5, 162, 116);
    cb9->setChecked(true);
    cb1 = checkBox(box, "cb1", QStringLiteral("Показывать стрелки"), 5, 15, 171);
    cb2 = checkBox(box, "cb2", QStringLiteral("Показывать время"), 5, 32, 161);
    cb3 = checkBox(box, "cb3", QStringLiteral("Показывать дату"), 5, 49, 161);
    cb4 = checkBox(box, "cb4", QStringLiteral("Показывать описания"), 5, 66, 161);
    cb5 = checkBox(box, "cb5", QStringLiteral("Поверх всех окон"), 5, 83, 161);
    cb6 = checkBox(box, "cb6", QStringLiteral("Разделители между часами"), 5, 100, 201);
    skin = withLayoutStyle(place(new QComboBox(box), "skin", 45, 299, 162, 21));
    cb7 = checkBox(box, "cb7", QStringLiteral("Прозрачный фон (кроме 95/98)"), 5, 122, 201);
    cb8 = checkBox(box, "cb8", QStringLiteral("Фон под цифрами"), 5, 139, 201);
    e4 = place(new QLineEdit(box), "e4", 120, 160, 87, 21);
    tb1 = slider(box, "tb1", 105, 214);
    tb2 = slider(box, "tb2", 105, 234);
    cwidth = place(new QLineEdit(QStringLiteral("10"), box), "cwidth", 176, 275, 31, 21);
    cwidth->setMaxLength(3);
    // Every typed character goes through the key filter.
    cwidth->setAttribute(Qt::WA_InputMethodEnabled, false);
    cwidth->installEventFilter(this);

    connect(tb1, &QSlider::valueChanged, this, &Form2::tb1Change);
    connect(tb2, &QSlider::valueChanged, this, &Form2::tb2Change);
    connect(skin, &QComboBox::activated, this, &Form2::skinChange);
}

void Form2::applyTabOrder()
{
    // The skin editor's controls join after cb9 (its Button5 before cb9).
    std::vector<QWidget *> order = {Button1, Button2, lb1, Button3, Button4, e3,  e1,      e2,
                                    cbCity,  cb1,     cb2, cb3,     cb4,     e4,  cb5,     cwidth,
                                    tb1,     tb2,     cb6, skin,    cb7,     cb8, Button5, cb9};
    for (QWidget *w : skinEditor->tabOrder())
        order.push_back(w);
    for (std::size_t i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
    Button1->setFocus(Qt::OtherFocusReason);
}

void Form2::FormCreate()
{
    if (m_host.stayOnTop())
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
    // The skin box lies outside the narrowed window.
    setFixedSize(NarrowWidth, DesignHeight);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect centred(QPoint(), size());
        centred.moveCenter(screen->availableGeometry().center());
        move(centred.topLeft());
    }
    applyLanguage(this, languageFile(m_model.dataDir()));
    // The labels of the boxes have no size of their own: they fit their (translated) text.
    for (QGroupBox *box : {GroupBox1, GroupBox2, GroupBox3})
        for (QLabel *l : box->findChildren<QLabel *>(Qt::FindDirectChildrenOnly))
            l->adjustSize();
}

void Form2::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    // Anchored to the bottom-right corner, as in the layout.
    Button1->move(width() - 124 - Button1->width(), height() - 2 - Button1->height());
    Button2->move(width() - 4 - Button2->width(), height() - 2 - Button2->height());
}

void Form2::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown || event->spontaneous())
        return;
    m_shown = true;
    guarded([this] { FormShow(); });
}

void Form2::FormShow()
{
    LocalBias = m_zones.localStandardOffset ? -m_zones.localStandardOffset() : 0;
    FillSkinList();
    skin->setCurrentIndex(findSkin(m_skinNames, options().Skin));
    m_host.setOptionsItemEnabled(false);

    const OptionsFormValues form = formFromModel(m_model);
    for (const FormControl<bool> &c : FormCheckBoxes)
        control<QCheckBox>(this, c.name)->setChecked(form.*c.value);
    for (const FormControl<std::string> &c : FormTexts)
        control<QLineEdit>(this, c.name)->setText(qtext(form.*c.value));
    for (const FormControl<int> &c : FormSliders)
        control<QSlider>(this, c.name)->setValue(form.*c.value);
    cb5->setChecked(m_host.stayOnTop());
    tb1Change();
    tb2Change();

    lb1->setUpdatesEnabled(false);
    lb1->clear();
    for (std::size_t i = 0; i < form.lines.size(); ++i) {
        auto *item = new QListWidgetItem(qtext(form.lines[i]), lb1);
        setLineZone(item, i < form.zones.size() ? form.zones[i] : std::string());
    }
    lb1->setUpdatesEnabled(true);
    selectLine(-1);

    FillCityList();
    skinEditor->park(); // hidden just right of GroupBox2
}

void Form2::FormClose()
{
    if (m_closed)
        return;
    m_closed = true;
    m_host.setOptionsItemEnabled(true);
}

void Form2::Button1Click()
{
    guarded([this] {
        m_host.holdClock();
        {
            // The clock ticks again however the copying ends; an error still ends OK here.
            struct Restart
            {
                OptionsHost &host;
                ~Restart() { host.resumeClock(); }
            } restart {m_host};

            OptionsFormValues form;
            for (const FormControl<bool> &c : FormCheckBoxes)
                form.*c.value = control<QCheckBox>(this, c.name)->isChecked();
            for (const FormControl<std::string> &c : FormTexts)
                form.*c.value = control<QLineEdit>(this, c.name)->text().toStdString();
            for (const FormControl<int> &c : FormSliders)
                form.*c.value = control<QSlider>(this, c.name)->value();
            m_host.setStayOnTop(cb5->isChecked());
            for (int i = 0; i < lb1->count(); ++i) {
                form.lines.push_back(lb1->item(i)->text().toStdString());
                form.zones.push_back(lineZone(lb1->item(i)));
            }
            applyOptionsForm(form, m_model);
        }
        // The clocks are saved in line order; SetFormSize orders the list afterwards.
        m_host.SaveOptions();
        m_host.SetFormSize();
        m_host.setOpacitySwitch(m_model.opacityWanted());
        m_host.PaintClocks();
        accept();
    });
}

void Form2::Button2Click()
{
    reject();
}

void Form2::tb1Change()
{
    Label19->setText(qtext(opacityPercent(tb1->value())));
    Label19->adjustSize();
}

void Form2::tb2Change()
{
    Label21->setText(qtext(opacityPercent(tb2->value())));
    Label21->adjustSize();
}

void Form2::FillSkinList()
{
    m_skinNames = skinNames(skinsFolder(m_model.dataDir()));
    QStringList items;
    for (const std::string &name : m_skinNames)
        items << qtext(name);
    skin->setUpdatesEnabled(false);
    skin->clear();
    skin->addItems(items);
    skin->setCurrentIndex(-1);
    skin->setUpdatesEnabled(true);
}

void Form2::skinChange()
{
    guarded([this] {
        if (skin->currentIndex() < 0)
            return;
        try {
            takeSkin(options(), skin->currentText().toStdString(), [this] { m_host.LoadSkin(); });
        } catch (...) {
            // Not taken: the list shows the skin the widget keeps.
            skin->setCurrentIndex(findSkin(m_skinNames, options().Skin));
            throw;
        }
        // A skin without its parameter file gives way to the default one: show that.
        skin->setCurrentIndex(findSkin(m_skinNames, options().Skin));
        m_host.SetFormSize();
        m_host.PaintClocks();
    });
}

void Form2::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Enter presses the focused button, and nothing else.
        if (auto *b = qobject_cast<QPushButton *>(focusWidget()))
            b->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool Form2::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == cwidth && event->type() == QEvent::KeyPress) {
        // Digits and control keys (backspace, the shortcuts) only.
        const auto *key = static_cast<QKeyEvent *>(event);
        const QString text = key->text();
        const bool shortcut = key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
        if (!text.isEmpty() && !shortcut) {
            const QChar c = text.front();
            const bool control = c.unicode() < 0x20 || c.unicode() == 0x7f;
            if (!control && !(c >= u'0' && c <= u'9'))
                return true;
        }
    } else if (watched == e1 || watched == e2 || watched == e3) {
        if (event->type() == QEvent::FocusOut)
            e2Exit();
        else if (watched == e3 && event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                e2Exit();
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tivora
