#include "ui/options/option_widgets.h"

#include "core/base/int_text.h"
#include "ui/kit/dialog_kit.h"

#include <QCheckBox>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>

namespace tivora {

namespace {

constexpr int ItemHeight = 13;

} // namespace

QString qtext(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QSize FixedHeightDelegate::sizeHint(const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    return {QStyledItemDelegate::sizeHint(option, index).width(), ItemHeight};
}

void CityItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette &pal = option.palette;
    painter->save();
    painter->fillRect(option.rect, pal.color(selected ? QPalette::Highlight : QPalette::Base));
    painter->setPen(pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setFont(option.font);
    painter->drawText(option.rect.adjusted(1, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                      index.data(Qt::DisplayRole).toString());
    painter->restore();
}

QValidator::State ClockSpinBox::validate(QString &text, int &) const
{
    static const QRegularExpression typed(QStringLiteral("^[+-]?[0-9]{0,4}$"));
    return typed.match(text.trimmed()).hasMatch() ? QValidator::Acceptable : QValidator::Invalid;
}

int ClockSpinBox::valueFromText(const QString &text) const
{
    return StrToIntInRange(text.trimmed().toStdString(), minimum(), maximum());
}

void CaptionBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int middle = metrics.height() / 2;
    const QRect frame = rect().adjusted(0, middle, -2, -2);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(frame);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(frame.translated(1, 1));
    const QRect caption(8, 0, metrics.horizontalAdvance(title()), metrics.height());
    // The line stops two pixels before and after the caption.
    painter.fillRect(caption.adjusted(-2, 0, 2, 0), palette().color(QPalette::Window));
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                   QPalette::WindowText));
    painter.drawText(caption, Qt::AlignLeft | Qt::AlignVCenter, title());
}

int LayoutStyle::pixelMetric(PixelMetric metric, const QStyleOption *option,
                             const QWidget *widget) const
{
    if (metric == PM_SliderLength)
        return 10;
    return QProxyStyle::pixelMetric(metric, option, widget);
}

int LayoutStyle::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                           QStyleHintReturn *returnData) const
{
    if (hint == SH_ComboBox_Popup)
        return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

QCheckBox *checkBox(QWidget *parent, const char *name, const QString &text, int left, int top,
                    int width)
{
    return place(new QCheckBox(text, parent), name, left, top, width, 17);
}

QPushButton *button(QWidget *parent, const char *name, const QString &text, int left, int top,
                    int width, int height)
{
    auto *b = place(new QPushButton(text, parent), name, left, top, width, height);
    // Enter presses a button only while it has the focus (keyPressEvent): none is the
    // dialog's default.
    b->setAutoDefault(false);
    return b;
}

QSlider *slider(QWidget *parent, const char *name, int left, int top)
{
    auto *s = withLayoutStyle(place(new QSlider(Qt::Horizontal, parent), name, left, top, 71, 16));
    s->setRange(0, 255);
    s->setValue(255);
    s->setTickPosition(QSlider::NoTicks);
    return s;
}

} // namespace tivora
