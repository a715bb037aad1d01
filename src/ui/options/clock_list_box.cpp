// The options dialog's clock box: the list of clock lines, its buttons, the offset and
// description fields and the city list.
#include "ui/options/clock_list_box.h"

#include "core/base/guard.h"
#include "core/options/clock_lines.h"
#include "ui/kit/dialog_kit.h"
#include "ui/options/option_widgets.h"
#include "ui/options/options_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>

namespace tivora {

namespace {

// What may be typed into a clock's description.
constexpr int DescriptionLimit = 100;

// A city item's zone, beside the item text that carries its offset.
constexpr int CityZoneRole = Qt::UserRole + 1;
// A clock line's zone lives in its list item.
constexpr int LineZoneRole = Qt::UserRole;

} // namespace

std::string lineZone(const QListWidgetItem *item)
{
    return item->data(LineZoneRole).toString().toStdString();
}

void setLineZone(QListWidgetItem *item, const std::string &zone)
{
    item->setData(LineZoneRole, qtext(zone));
    item->setToolTip(qtext(zone));
}

// The controls are made in the order the language file lists them (labels, list,
// buttons, city box; then the fields, which it does not list), so a fresh language file
// keeps that order.
void Form2::buildClockBox()
{
    QGroupBox *box = GroupBox1;
    Label1 = label(box, "Label1", QStringLiteral("Сдвиг часов (-24/+24)"), 5, 293);
    Label2 = label(box, "Label2", QStringLiteral("Сдвиг минут (0/59)"), 5, 316);
    Label6 = label(box, "Label6", QStringLiteral("Описание:"), 5, 339);
    Label22 = label(box, "Label22", QStringLiteral("Город:"), 5, 361);
    lb1 = place(new QListWidget(box), "lb1", 2, 15, 198, 246);
    lb1->setSelectionMode(QAbstractItemView::SingleSelection);
    lb1->setUniformItemSizes(true);
    lb1->setItemDelegate(new FixedHeightDelegate(lb1));
    Button3 = button(box, "Button3", QStringLiteral("Добавить"), 4, 266, 87, 21);
    Button4 = button(box, "Button4", QStringLiteral("Удалить"), 105, 266, 92, 21);
    cbCity = withLayoutStyle(place(new QComboBox(box), "cbCity", 62, 357, 135, 19));
    cbCity->setItemDelegate(new CityItemDelegate(cbCity));
    e1 = place(new ClockSpinBox(box), "e1", 150, 289, 46, 21);
    e1->setRange(MinHourField, MaxHourField);
    e2 = place(new ClockSpinBox(box), "e2", 150, 312, 46, 21);
    e2->setRange(MinMinuteField, MaxMinuteField);
    e3 = place(new QLineEdit(box), "e3", 62, 335, 135, 21);
    e3->setMaxLength(DescriptionLimit);
    setClockFieldsEnabled(false);
    // The limit stops typing only: a longer description from the settings file is shown
    // whole (lb1Click) and can be shortened, never lengthened, until it fits.
    connect(e3, &QLineEdit::textEdited, this, [this](const QString &text) {
        e3->setMaxLength(std::max(DescriptionLimit, int(text.size())));
    });

    connect(lb1, &QListWidget::itemSelectionChanged, this, &Form2::lb1Click);
    connect(Button3, &QPushButton::clicked, this, &Form2::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &Form2::Button4Click);
    connect(cbCity, &QComboBox::activated, this, &Form2::cbCityChange);
    // Leaving a field commits it; so does Enter in the description.
    for (QWidget *field :
         {static_cast<QWidget *>(e1), static_cast<QWidget *>(e2), static_cast<QWidget *>(e3)})
        field->installEventFilter(this);
}

void Form2::FillCityList()
{
    cbCity->setUpdatesEnabled(false);
    cbCity->clear();
    int widest = 0;
    if (m_zones.standardOffset) {
        const QFontMetrics metrics(cbCity->font());
        for (const CityItem &item :
             cityItems(readCityZones(m_zones.folder, m_zones.standardOffset), LocalBias)) {
            const QString name = qtext(cityItemName(item.text));
            cbCity->addItem(name, qtext(item.text));
            cbCity->setItemData(cbCity->count() - 1, qtext(item.zoneId), CityZoneRole);
            widest = std::max(widest, metrics.horizontalAdvance(name));
        }
    }
    cbCity->setCurrentIndex(-1);
    // The open list is as wide as its longest name needs.
    cbCity->view()->setMinimumWidth(widest + 8
                                    + cbCity->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    cbCity->setUpdatesEnabled(true);
}

int Form2::selectedLine() const
{
    const QList<QListWidgetItem *> selected = lb1->selectedItems();
    return selected.isEmpty() ? -1 : lb1->row(selected.first());
}

void Form2::selectLine(int row)
{
    if (row < 0) {
        lb1->clearSelection();
        lb1->setCurrentRow(-1);
    } else {
        lb1->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    }
}

void Form2::setClockFieldsEnabled(bool enabled)
{
    for (QWidget *w :
         std::initializer_list<QWidget *> {Label1, e1, Label2, e2, Label6, e3, Label22, cbCity})
        w->setEnabled(enabled);
}

void Form2::lb1Click()
{
    guarded([this] {
        const int row = selectedLine();
        setClockFieldsEnabled(row >= 0);
        if (row < 0)
            return;
        const std::string line = lb1->item(row)->text().toStdString();
        const HourMinute fields = lineFields(line);
        e1->setValue(fields.hour);
        e2->setValue(fields.minute);
        const QString desc = qtext(readClockLine(line).desc);
        e3->setMaxLength(std::max(DescriptionLimit, int(desc.size())));
        e3->setText(desc);
        e3->setCursorPosition(0); // a long description shows from its start
    });
}

void Form2::Button3Click()
{
    guarded([this] {
        lb1->addItem(qtext(NewClockLine));
        selectLine(lb1->count() - 1);
        lb1Click();
    });
}

void Form2::Button4Click()
{
    guarded([this] {
        const int row = selectedLine();
        if (row < 0)
            return;
        delete lb1->takeItem(row);
        if (lb1->count() == 0)
            selectLine(-1);
        else
            selectLine(std::min(row, lb1->count() - 1));
        lb1Click();
    });
}

void Form2::e2Exit()
{
    guarded([this] {
        const int row = selectedLine();
        if (row < 0)
            return;
        QListWidgetItem *item = lb1->item(row);
        const std::string before = item->text().toStdString();
        const std::string line =
            committedLine(e1->cleanText().toStdString(), e2->cleanText().toStdString(),
                          e3->text().toStdString(), before);
        // Offsets set by hand make the clock a fixed-offset one again.
        setLineZone(item, zoneAfterCommit(before, line, lineZone(item)));
        item->setText(qtext(line));
    });
}

void Form2::cbCityChange()
{
    guarded([this] {
        if (cbCity->currentIndex() < 0)
            return;
        const std::optional<int> offset =
            cityItemOffset(cbCity->currentData().toString().toStdString());
        if (!offset)
            return;
        // The line takes the offset as it is, also where the fields cannot show its sign
        // (-0:30); the fields then show what the line reads.
        const std::string line = offsetLine(*offset, e3->text().toStdString());
        const HourMinute fields = lineFields(line);
        e1->setValue(fields.hour);
        e2->setValue(fields.minute);
        // The clock follows the picked zone's real time from now on.
        if (const int row = selectedLine(); row >= 0) {
            QListWidgetItem *item = lb1->item(row);
            item->setText(qtext(line));
            setLineZone(
                item, cbCity->itemData(cbCity->currentIndex(), CityZoneRole).toString().toStdString());
        }
    });
}

} // namespace tivora
