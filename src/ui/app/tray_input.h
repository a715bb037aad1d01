#pragma once

#include <QObject>
#include <QPoint>
#include <functional>

namespace tivora {

// Mouse input on the tray icon, reported the way the widget acts on it: a left click on
// the release of the left button when the press was on the icon too (and was not the
// second press of a double-click), a left double-click on its second press, and the
// popup menu on the release of a right click. The toolkit's own icon window on X11 acts
// on the press instead (a press released elsewhere would still show the window), so this
// filter takes the presses away from it and reports clicks itself.
class TrayInput : public QObject
{
    Q_OBJECT
public:
    // isIcon tells the icon's window among the objects whose events pass the filter.
    explicit TrayInput(std::function<bool(const QObject *)> isIcon, QObject *parent = nullptr);

    // The toolkit's own icon window.
    static bool isToolkitIcon(const QObject *object);

signals:
    void clicked();
    void doubleClicked();
    void menuRequested(QPoint globalPos);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<bool(const QObject *)> m_isIcon;
    Qt::MouseButtons m_pressed; // buttons pressed on the icon and not released yet
};

} // namespace tivora
