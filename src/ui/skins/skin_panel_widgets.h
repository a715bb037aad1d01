#pragma once

#include <QFrame>
#include <QLabel>
#include <cstdint>

namespace tivora {

// The skin editor panel's own widgets: colour squares and font links.

// A 21 x 21 square filled with a colour; a press of any mouse button on it is reported.
class ColorSquare : public QFrame
{
    Q_OBJECT
public:
    explicit ColorSquare(QWidget *parent = nullptr);
    std::int32_t color() const { return m_color; }
    void setColor(std::int32_t color);

signals:
    void pressed();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    std::int32_t m_color = 0;
};

// A label drawn as a link (blue, underlined) that reports a left click.
class LinkLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// The panel's "Шрифт" link in the design font, and a colour square.
LinkLabel *fontLink(QWidget *parent, const char *name, int x, int y);
ColorSquare *colorSquare(QWidget *parent, const char *name, int x, int y);

} // namespace tivora
