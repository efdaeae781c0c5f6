// wingmate: the desktop program.

#include "app/InstanceSocket.h"
#include "app/InterimMacroRunner.h"
#include "app/QtMessageBox.h"
#include "app/WingmateApp.h"
#include "run/PosixProcessLauncher.h"
#include "views/IconSet.h"
#include "views/ManagerPage.h"
#include "views/SchedulerPage.h"
#if WINGMATE_HAVE_X11
#include "x11/X11KeyHook.h"
#endif

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Wingmate"));
    QApplication::setOrganizationName(QStringLiteral("Tessera"));
    QApplication::setWindowIcon(ProgramIcon());
    // The window may sit hidden in the tray while a dialog closes; the program
    // ends only through Exit, closing the main window or Escape.
    QApplication::setQuitOnLastWindowClosed(false);

    CQtMessageBox messages;
    CPosixProcessLauncher launcher;
    // Until the script engine is connected: programs run, scripts say so.
    CInterimMacroRunner runner(launcher);

    ProgramParts parts;
    parts.runner = &runner;
    parts.launcher = &launcher;
#if WINGMATE_HAVE_X11
    parts.makeKeyHook = [](KeyHookReportFn report, std::string* why) {
        return MakeKeyHook(std::move(report), why);
    };
#endif
    parts.windowBuilt = [&runner](CMainDlg& window) {
        runner.SetHost(&window);
        auto* manager = new CManagerPage(window.Library(), window, window.Messages());
        manager->SetHookControl(&window);
        window.SetManagerPage(manager, manager);
        auto* scheduler = new CSchedulerPage(window.Library(), window, window.Messages());
        scheduler->SetTree(window.Tree());
        window.SetSchedulerPage(scheduler, scheduler);
    };

    CWingmateApp wingmate(messages, QString::fromStdString(InstanceSocketPath()));
    return wingmate.Run(parts);
}
