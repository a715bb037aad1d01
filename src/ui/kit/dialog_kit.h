#pragma once

#include <QFrame>
#include <QLabel>
#include <QPointer>

class QFont;
class QString;
class QWidget;

namespace tivora {

// The pieces the dialogs are laid out with: their design font, controls placed at the
// layout's pixel positions, labels, and bold section headings standing on a rule line.

// The dialogs' design font: an 11-pixel sans serif. Where the system lacks the layout's
// own font, Arial (or its metric twin) keeps the texts as narrow as the layout expects;
// the usual stand-in would be far wider.
QFont designFont();

// Names a control and puts it at the layout's place: with a size, or else sized to its
// text.
template<class W>
W *place(W *widget, const char *name, int left, int top, int width = -1, int height = -1)
{
    widget->setObjectName(QLatin1String(name));
    if (width < 0) {
        widget->adjustSize();
        widget->move(left, top);
    } else {
        widget->setGeometry(left, top, width, height);
    }
    return widget;
}

// A label as large as its text.
QLabel *label(QWidget *parent, const char *name, const QString &text, int left, int top);

// A sunken horizontal line, two pixels high, that leaves out the part behind its
// heading, so the heading stands on the background of whatever holds both.
class Rule : public QFrame
{
public:
    Rule(QWidget *parent, const char *name, int left, int top, int width);
    void setHeading(QWidget *heading) { m_heading = heading; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QPointer<QWidget> m_heading;
};

// A bold section title in the design font on a rule (beside it, made after it), with
// `clear` pixels of the rule left out on either side of its text.
QLabel *heading(Rule *rule, const char *name, const QString &text, int left, int top,
                int clear = 0);

} // namespace tivora
