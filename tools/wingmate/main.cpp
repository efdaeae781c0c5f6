// wingmate: the desktop program.

#include "app/InstanceSocket.h"
#include "app/QtMessageBox.h"
#include "app/WingmateApp.h"
#include "views/IconSet.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Wingmate"));
    QApplication::setOrganizationName(QStringLiteral("Tessera"));
    QApplication::setWindowIcon(ProgramIcon());
    // The window may sit hidden in the tray while a dialog closes; the program
    // ends only through Exit or closing the main window.
    QApplication::setQuitOnLastWindowClosed(false);

    CQtMessageBox messages;
    CWingmateApp wingmate(messages, QString::fromStdString(InstanceSocketPath()));
    return wingmate.Run();
}
