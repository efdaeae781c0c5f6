// wingmate: the desktop program.

#include "app/RunnerBridge.h"
#include "app/SignalExit.h"
#include "app/Translations.h"
#include "app/WingmateApp.h"
#include "library/HomeFolder.h"
#include "ports/DesktopBackend.h"
#include "program/InstanceSocket.h"
#include "run/MacroRunner.h"
#include "run/PosixProcessLauncher.h"
#include "triggers/TriggerEdit.h"
#include "views/IconSet.h"
#include "views/InputDlg.h"
#include "views/QtMessageBox.h"
#if WINGMATE_HAVE_WAYLAND
#include "wayland/WaylandDesktop.h"
#endif
#if WINGMATE_HAVE_X11
#include "x11/X11Clipboard.h"
#include "x11/X11Desktop.h"
#include "x11/X11KeyHook.h"
#include "x11/X11RecordSource.h"
#include "x11/X11WindowPickerPort.h"
#endif

#include "CliSupport.h"
#include "DisplayCheck.h"

#include <QApplication>
#include <QLocale>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <unistd.h>

namespace {

// How long the end of the program waits for running scripts to stop.
constexpr std::chrono::milliseconds kScriptGrace{2000};

// The run queue is built with the main window, the runner only once the
// window exists (its ports post to the window); this hands runs on.
class CRunnerSlot : public IMacroRunner {
public:
    int Run(CMacro macro) override { return target ? target->Run(std::move(macro)) : 0; }
    IMacroRunner* target = nullptr;
};

// What runs scripts, made once the main window exists.
struct ScriptRunning {
    std::unique_ptr<IDesktop> desktop;
    // Serves what scripts put on the clipboard as long as the program runs.
    std::unique_ptr<IClipboard> clipboard;
    std::unique_ptr<CRunnerBridge> bridge;
    std::unique_ptr<CMacroRunner> runner;
};

} // namespace

int main(int argc, char** argv) {
    // --help and --version answer without a display; every other argument
    // is left to Qt (-platform, -display, ...).
    const std::shared_ptr<CLI::App> commandLine =
        NewCommandLine("The Wingmate desktop program: a macro manager.", "wingmate", true);
    AddVersionFlag(*commandLine);
    AddManPageFlag(*commandLine);
    const int parsed = ParseCommandLine(
        *commandLine, std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr,
        "usage: wingmate [--help | --version] [Qt options]\n"
        "\n"
        "wingmate keeps a library of macros in a tree of macro sets. A macro runs a\n"
        "Tessera script or starts a program, when chosen, at scheduled times, or when\n"
        "its trigger keys are pressed. Only one copy runs at a time; a second start\n"
        "shows the running window. The user guide opens from the window's Help menu.\n");
    if (parsed >= 0)
        return parsed;
    // Before anything that takes time: a SIGTERM from now on ends the
    // program cleanly, whatever stage of the start it meets.
    CSignalExit::InstallHandlers();
    if (!DisplayReachable(argc, argv))
        return 1;
    // On a Wayland session the X11 adapters would act on Xwayland only,
    // unseen by the user: the desktop, hook and recorder follow the session.
    const DesktopBackendChoice backend = ChooseDesktopBackend();
    if (!backend.error.empty()) {
        std::fprintf(stderr, "wingmate: %s\n", backend.error.c_str());
        return 2;
    }
    const bool wayland = backend.backend == DesktopBackend::Wayland;

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Wingmate"));
    // Docks and task bars group the windows with the menu entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tessera.Wingmate"));
    QApplication::setOrganizationName(QStringLiteral("Tessera"));
    InstallTranslations(application, QLocale::system().uiLanguages(), TranslationsFolder());
    QApplication::setWindowIcon(ProgramIcon());
    // The window may sit hidden in the tray while a dialog closes; the program
    // ends only through Exit, closing the main window or Escape.
    QApplication::setQuitOnLastWindowClosed(false);

    CQtMessageBox messages;
    CPosixProcessLauncher launcher;
#if WINGMATE_HAVE_X11
    CX11WindowPicker windowPicker;
#endif
    CRunnerSlot runnerSlot;
    ScriptRunning scripts;

    ProgramParts parts;
    parts.runner = &runnerSlot;
    parts.launcher = &launcher;
    parts.loadFunctionNames = [&scripts] {
        return scripts.runner ? scripts.runner->LoadFunctionNames() : std::string();
    };
    // Abbreviations type their expansions with the scripts' desktop.
    parts.typeKeys = [&scripts](const std::string& keys) -> std::string {
        if (!scripts.desktop)
            return "no desktop to type on";
        const DesktopResult typed =
            scripts.desktop->TypeKeys(keys, KeyPacing{}, [] { return false; });
        return typed.ok ? std::string() : typed.error;
    };
    parts.clipboardText = [&scripts] {
        std::string text;
        if (scripts.clipboard)
            scripts.clipboard->GetText(ClipboardSelection::Clipboard, text, [] { return false; });
        return text;
    };
    parts.stopScripts = [&scripts] {
        if (scripts.runner)
            scripts.runner->StopAll();
    };
    if (wayland) {
        parts.makeKeyHook = [](KeyHookReportFn, std::string* why) -> std::unique_ptr<IKeyHook> {
            *why = "Trigger keys are unavailable: this Wayland desktop offers Wingmate no key "
                   "hook yet (set WINGMATE_BACKEND=x11 to use Xwayland windows only).";
            return nullptr;
        };
        parts.makeRecordSource = [](std::string* why) -> std::unique_ptr<IRecordSource> {
            *why = "Recording is unavailable on this Wayland desktop: no input reader works here "
                   "yet.";
            return nullptr;
        };
    }
#if WINGMATE_HAVE_X11
    if (!wayland) {
        parts.makeKeyHook = [](KeyHookReportFn report, std::string* why) {
            return MakeKeyHook(std::move(report), why);
        };
        parts.activeWindow = [] { return ActiveWindowNow(); };
        parts.windowPicker = &windowPicker;
        // Start says why when the display cannot record.
        parts.makeRecordSource = [](std::string*) -> std::unique_ptr<IRecordSource> {
            return std::make_unique<CX11RecordSource>();
        };
    }
    // The trigger box records keys as the hook reports them.
    CTriggerEdit::SetNativeKeyCodes([](unsigned keycode) { return HookCodeForKeycode(keycode); });
#endif
    parts.connectRunner = [&](CMainDlg& window) {
        std::string why;
        if (wayland) {
#if WINGMATE_HAVE_WAYLAND
            scripts.desktop = CWaylandDesktop::Open(&why, MakeAlertFn(&window, messages));
#else
            why = "Key and mouse playback is unavailable: this build has no Wayland support.";
#endif
            if (!scripts.desktop)
                window.Output().AppendOutput(why + "\n");
        }
#if WINGMATE_HAVE_X11
        if (!wayland) {
            scripts.desktop = CX11Desktop::Open(&why, MakeAlertFn(&window, messages));
            if (!scripts.desktop)
                window.Output().AppendOutput(why + "\n");
        }
        scripts.clipboard = CX11Clipboard::Open(&why);
        if (!scripts.clipboard)
            window.Output().AppendOutput(why + "\n");
#endif
        scripts.bridge = std::make_unique<CRunnerBridge>(window);
        CMacroRunner::Ports ports;
        ports.output = scripts.bridge.get();
        ports.inputPrompt = scripts.bridge.get();
        ports.completion = scripts.bridge.get();
        ports.failure = scripts.bridge.get();
        // A script's boxes stand alone: they are not the window's.
        ports.messageBox = &messages;
        ports.launcher = &launcher;
        ports.desktop = scripts.desktop.get();
        ports.clipboard = scripts.clipboard.get();
        ports.dialogs = &window.ScriptDialogs();
        scripts.runner = std::make_unique<CMacroRunner>(WingmateHomeFolder(), ports);
        runnerSlot.target = scripts.runner.get();
        // Running scripts are stopped and joined while the window still
        // exists, so no worker reaches a destroyed window.
        // The library and settings are saved before the event loop ends.
        // A worker stuck in plugin code must not hold the end: after the
        // grace the process ends without waiting for it.
        QObject::connect(&application, &QCoreApplication::aboutToQuit, [&scripts] {
            AbandonAlerts();
            if (!scripts.runner->Shutdown(kScriptGrace)) {
                std::fprintf(stderr, "Wingmate: a script did not stop; ending anyway\n");
                std::fflush(nullptr);
                ::_exit(0);
            }
        });
    };

    // The socket and lock go in a folder only this user can enter.
    InstancePaths instance;
    std::string error, warnings;
    const bool resolved = ResolveInstancePaths(true, instance, error, &warnings);
    if (!warnings.empty())
        std::fprintf(stderr, "Wingmate: %s", warnings.c_str());
    if (!resolved) {
        std::fprintf(stderr, "Wingmate: %s\n", error.c_str());
        messages.Show(error, "Wingmate Error", MessageButtons::Ok);
        return 1;
    }
    CWingmateApp wingmate(messages, QString::fromStdString(instance.socket));
    return wingmate.Run(parts);
}
