#include "ui/kit/dialog_kit.h"

#include <QFont>
#include <QFontDatabase>
#include <QPainter>
#include <QRegion>

namespace tivora {

QFont designFont()
{
    static const QString family = QFontDatabase::hasFamily(QStringLiteral("MS Sans Serif"))
        ? QStringLiteral("MS Sans Serif")
        : QStringLiteral("Arial");
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

QLabel *label(QWidget *parent, const char *name, const QString &text, int left, int top)
{
    return place(new QLabel(text, parent), name, left, top);
}

Rule::Rule(QWidget *parent, const char *name, int left, int top, int width) : QFrame(parent)
{
    setFrameShape(QFrame::HLine);
    setFrameShadow(QFrame::Sunken);
    place(this, name, left, top, width, 2);
}

void Rule::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (m_heading && m_heading->isVisible())
        p.setClipRegion(QRegion(rect()).subtracted(m_heading->geometry().translated(-pos())));
    drawFrame(&p);
}

QLabel *heading(Rule *rule, const char *name, const QString &text, int left, int top, int clear)
{
    QLabel *l = label(rule->parentWidget(), name, text, left, top);
    l->setContentsMargins(clear, 0, clear, 0);
    QFont bold = designFont();
    bold.setBold(true);
    l->setFont(bold);
    l->adjustSize();
    rule->setHeading(l);
    return l;
}

} // namespace tivora
