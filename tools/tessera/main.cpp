// tessera FILE [--args TEXT]     compile and run a script
// tessera --disassemble FILE     print its bytecode
// tessera --check FILE           compile only: 0 clean, 1 with the first error
// FILE "-" is the script on standard input (no script log then).
// tessera --help | --version
//
// Exit status: the script's `exit` value (0 at its normal end); 1 after a
// compile error, rejected arguments or an uncaught runtime error; 2 for bad
// usage. Ctrl+C asks the script to stop.
//
// The libraries listed in "Externals.dat" in the Wingmate home folder are
// loaded before the script runs (problems go to "LibMgrMessages.log" there),
// and `dll` statements load through the same manager. The desktop builtins
// act on the Wayland compositor on a Wayland session ($WAYLAND_DISPLAY or
// XDG_SESSION_TYPE=wayland), else on the X display of $DISPLAY;
// WINGMATE_BACKEND=x11|wayland chooses. Without a usable one (the reason on
// stderr) they fail with that reason, or "no display available".
// A text the script put on the clipboard stays there after the end: a
// detached child process keeps serving it until another program takes it.
// Choose, Confirm and the choosers ask on the terminal (questions on
// stderr, answers from stdin).
// SIGTERM and SIGHUP stop the script the same way; playback then lets go of
// every key and button it holds before the program ends by that signal.
#include "CliSupport.h"
#include "TerminalDesktop.h"
#include "TerminalDialogs.h"
#include "TerminalStream.h"
#include "TesseraCommandLine.h"
#include "editor/ScriptCheck.h"
#include "library/AtomicFile.h"

#include "library/HomeFolder.h"
#include "ports/DesktopBackend.h"
#include "run/LibMgr.h"
#if defined(TESSERA_WITH_WAYLAND)
#include "wayland/WaylandDesktop.h"
#endif
#if defined(TESSERA_WITH_X11)
#include "x11/X11Clipboard.h"
#include "x11/X11Desktop.h"
#endif

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

namespace {

std::atomic<CInterpreter*> running{nullptr};
volatile std::sig_atomic_t endingSignal = 0;

void OnInterrupt(int signal) {
    if (signal != SIGINT)
        endingSignal = signal;
    if (CInterpreter* interpreter = running.load())
        interpreter->SetStopFlag();
}

// The desktop of the session's backend (Wayland or X11) when it is usable,
// else the terminal's, whose functions fail with the reason. On a Wayland
// session the X11 adapters are never used for the desktop: keys sent through
// Xwayland would reach a window the user does not see.
std::unique_ptr<IDesktop> OpenDesktop(const DesktopBackendChoice& choice) {
    auto alert = [](const std::string& message) {
        std::fprintf(stderr, "Alert: %s\n", message.c_str());
        std::fflush(stderr);
        return DesktopResult::Ok();
    };
    std::string why = "no display available";
    if (choice.backend == DesktopBackend::Wayland) {
#if defined(TESSERA_WITH_WAYLAND)
        if (std::unique_ptr<CWaylandDesktop> desktop = CWaylandDesktop::Open(&why, alert))
            return desktop;
        std::fprintf(stderr, "tessera: %s\n", why.c_str());
#else
        why = "this build of tessera has no Wayland support (set WINGMATE_BACKEND=x11 to use "
              "Xwayland)";
#endif
        return std::make_unique<CTerminalDesktop>(stderr, why);
    }
#if defined(TESSERA_WITH_X11)
    const char* display = std::getenv("DISPLAY");
    if (display && *display) {
        if (std::unique_ptr<CX11Desktop> desktop = CX11Desktop::Open(&why, alert))
            return desktop;
        std::fprintf(stderr, "tessera: %s\n", why.c_str());
        why = "no display available";
    }
#endif
    return std::make_unique<CTerminalDesktop>(stderr, why);
}

#if defined(TESSERA_WITH_X11)
// The X clipboard when $DISPLAY is set and usable; null otherwise.
std::unique_ptr<CX11Clipboard> OpenClipboard() {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        return nullptr;
    std::string why;
    std::unique_ptr<CX11Clipboard> clipboard = CX11Clipboard::Open(&why);
    if (!clipboard)
        std::fprintf(stderr, "tessera: %s\n", why.c_str());
    return clipboard;
}

// Hands the clipboard's text to a process that outlives this one.
void KeepClipboard(std::unique_ptr<CX11Clipboard>& clipboard) {
    std::string why;
    if (clipboard && !clipboard->KeepServingAfterExit(&why))
        std::fprintf(stderr, "tessera: %s\n", why.c_str());
    clipboard.reset();
}
#endif

// "-" names the script on standard input (a file named "-" is "./-"); its
// messages call it "<stdin>".
constexpr const char* kStdinName = "<stdin>";

bool ReadStandardInput(std::string& source) {
    char buffer[65536];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, stdin)) > 0;)
        source.append(buffer, got);
    return !std::ferror(stdin);
}

// Compiles the file and runs nothing: "FILE:LINE:COLUMN: error: TEXT" on
// stderr and 1 for a script that does not compile.
int CheckOnly(const std::string& file) {
    std::string source, why;
    const bool fromStdin = file == "-";
    if (fromStdin ? !ReadStandardInput(source) : !ReadRegularFile(file, source, &why)) {
        std::fprintf(stderr, "%s: error: cannot open script: %s\n",
                     fromStdin ? kStdinName : file.c_str(),
                     fromStdin ? std::strerror(errno) : why.c_str());
        return 1;
    }
    const ScriptDiagnostic diagnostic = CheckScript(fromStdin ? kStdinName : file, source);
    if (!diagnostic.failed)
        return 0;
    std::fprintf(stderr, "%s\n", diagnostic.full.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    TesseraOptions options;
    const std::shared_ptr<CLI::App> app =
        NewCommandLine("Compiles and runs a Tessera script from a terminal.", "tessera");
    BuildTesseraCommandLine(*app, options);
    const int parsed = ParseCommandLine(*app, std::vector<std::string>(argv + 1, argv + argc),
                                        std::cout, std::cerr, kTesseraUsage);
    if (parsed >= 0)
        return parsed;
    std::cout.flush();
    const std::string& file = options.file;
    const std::string& argsText = options.argsText;
    const bool disassemble = options.disassemble;
    const bool haveArgs = TesseraArgsGiven(*app);
    if (options.check)
        return CheckOnly(file);

    // Unbuffered, so a dialog waiting for its answer can watch for a Stop
    // and no typed-ahead line is held where the next reader cannot see it.
    std::setvbuf(stdin, nullptr, _IONBF, 0);
    CTerminalStream stream(stdout, stderr, stdin);
    CTerminalDialogs dialogs(stdin, stderr);
    std::string home = WingmateHomeFolder();
    CLibMgr libraries(home);
    const DesktopBackendChoice backend = ChooseDesktopBackend();
    if (!disassemble && !backend.error.empty()) {
        std::fprintf(stderr, "tessera: %s\n", backend.error.c_str());
        return 2;
    }
    std::unique_ptr<IDesktop> desktop = disassemble ? nullptr : OpenDesktop(backend);
    CScript script(&stream, &stream);
    CEngine* engine = script.GetEngine();
    engine->SetDesktop(desktop.get());
#if defined(TESSERA_WITH_X11)
    std::unique_ptr<CX11Clipboard> clipboard = disassemble ? nullptr : OpenClipboard();
    engine->SetClipboard(clipboard.get());
#endif
    engine->SetDialogs(&dialogs);
    engine->SetLibraryLoader(&libraries);
    const bool fromStdin = file == "-";
    std::string source;
    if (fromStdin && !ReadStandardInput(source)) {
        std::fprintf(stderr, "%s: error: cannot read script: %s\n", kStdinName,
                     std::strerror(errno));
        return 1;
    }
    if (!(fromStdin ? script.LoadSource(kStdinName, source) : script.Load(file.c_str())))
        return 1;
    if (disassemble) {
        std::fputs(script.Disassemble().c_str(), stdout);
        return 0;
    }
    // A terminal run without a list is normal: only an existing list is read.
    std::error_code ec;
    if (std::filesystem::exists(home + "/" + CLibMgr::kListName, ec))
        libraries.LoadList(engine, CLibMgr::kListName);
    if (haveArgs && !script.EvaluateArguments(argsText.c_str())) {
        Factory_ClearData();
        libraries.UnregisterAll(engine);
        return 1;
    }
    if (!fromStdin)
        stream.OpenLog(file);
    running = engine->GetInterpreter();
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, OnInterrupt);
    int status = script.Run(1, nullptr);
    running = nullptr;
    Factory_ClearData();
    libraries.UnregisterAll(engine);
    // Releases held keys and gives borrowed keycodes back.
    engine->SetDesktop(nullptr);
    desktop.reset();
#if defined(TESSERA_WITH_X11)
    engine->SetClipboard(nullptr);
    KeepClipboard(clipboard);
#endif
    if (const int signal = endingSignal) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }
    return status;
}
