// The smallest Qt 6 window, the yardstick of bench/startup.sh: an empty widget of the
// size of one face, shown at once.

#include <QApplication>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(164, 164);
    window.show();
    return QApplication::exec();
}
