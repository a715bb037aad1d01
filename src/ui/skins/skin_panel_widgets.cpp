#include "ui/skins/skin_panel_widgets.h"

#include "core/base/colour.h"
#include "ui/kit/dialog_kit.h"

#include <QMouseEvent>
#include <QPainter>

namespace tivora {

LinkLabel *fontLink(QWidget *parent, const char *name, int x, int y)
{
    auto *link = new LinkLabel(QStringLiteral("Шрифт"), parent);
    link->setObjectName(name);
    QFont f = designFont();
    f.setUnderline(true);
    link->setFont(f);
    QPalette pal = link->palette();
    pal.setColor(QPalette::WindowText, Qt::blue);
    link->setPalette(pal);
    link->setCursor(Qt::PointingHandCursor);
    link->move(x, y);
    link->adjustSize();
    return link;
}

ColorSquare *colorSquare(QWidget *parent, const char *name, int x, int y)
{
    auto *square = new ColorSquare(parent);
    square->setObjectName(name);
    square->move(x, y);
    return square;
}

ColorSquare::ColorSquare(QWidget *parent) : QFrame(parent)
{
    resize(21, 21);
}

void ColorSquare::setColor(std::int32_t color)
{
    m_color = color;
    update();
}

void ColorSquare::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    emit pressed();
}

void ColorSquare::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const Color c = Color::fromRef(m_color);
    p.setPen(Qt::black);
    p.setBrush(QColor(c.r, c.g, c.b));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

} // namespace tivora
