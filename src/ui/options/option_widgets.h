#pragma once

#include <QGroupBox>
#include <QProxyStyle>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <string_view>

class QCheckBox;
class QPushButton;
class QSlider;

namespace tivora {

// The options dialog's own widgets and the makers of its controls.

QString qtext(std::string_view text);

// List items of a fixed height, as the layout gives them.
class FixedHeightDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

// The city items: each shows its name (the part of the item before "|"), on the
// highlight colour when selected, else on the window colour, one pixel in; the whole
// item, offset included, is its data.
class CityItemDelegate : public FixedHeightDelegate
{
public:
    using FixedHeightDelegate::FixedHeightDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
};

// An integer field that takes any signed number as typed: a text that is no number
// counts as the lower bound, a number outside the range as the nearest bound, and the
// field shows that value once it has been left.
class ClockSpinBox : public QSpinBox
{
public:
    using QSpinBox::QSpinBox;

protected:
    QValidator::State validate(QString &text, int &) const override;
    int valueFromText(const QString &text) const override;
};

// A group box drawn as the layout places its content: an etched frame whose top line
// runs through the middle of the caption, the caption 8 pixels in.
class CaptionBox : public QGroupBox
{
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent *) override;
};

// The layout's look where the platform style differs: sliders with a 10-pixel thumb,
// drop-down lists that open below the box with a few lines and a scroll bar.
class LayoutStyle : public QProxyStyle
{
public:
    int pixelMetric(PixelMetric metric, const QStyleOption *option,
                    const QWidget *widget) const override;
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override;
};

// The widget owns its style; a widget keeps only a guarded pointer to it.
template<class W> W *withLayoutStyle(W *widget)
{
    auto *style = new LayoutStyle;
    style->setParent(widget);
    widget->setStyle(style);
    return widget;
}

QCheckBox *checkBox(QWidget *parent, const char *name, const QString &text, int left, int top,
                    int width);
// A button that is never the dialog's default.
QPushButton *button(QWidget *parent, const char *name, const QString &text, int left, int top,
                    int width, int height);
// An opacity slider, 0 to 255.
QSlider *slider(QWidget *parent, const char *name, int left, int top);

} // namespace tivora
