#pragma once

#include <QMessageBox>

class QWidget;

namespace tivora {

// The window a box about the program's state belongs to: the dialog the user works in,
// else the given main window while it is shown, else none.
QWidget *boxOwner(QWidget *mainWindow);

// Every box the program shows goes through here. It opens owned by the given window
// (which it concerns), on the workspace the user is on, above every window of the
// program (on-top ones included) and with the keyboard; once it is closed, the owner
// has the keyboard again. Returns when the box is closed.
void showMessageBox(QMessageBox::Icon icon, const QString &title, const QString &text,
                    QWidget *owner);

} // namespace tivora
