// Glimmer: records a window declaration. The user clicks a window (or names
// it with --window); its title and class become a Window record appended to
// a declarations file.

#include "CliSupport.h"
#include "GlimmerRecord.h"
#include "ports/UiText.h"
#include "x11/X11Display.h"
#include "x11/X11WindowPicker.h"

#ifdef GLIMMER_WITH_QT
#include "GlimmerUi.h"
#endif

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <iostream>
#include <string>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

constexpr const char* kUsageLines = "usage: Glimmer [--display NAME] [--window ID] [FILE]\n"
                                    "       Glimmer --help | --version\n";

constexpr const char* kNotes =
    "Click a window (the pointer turns into a crosshair; button 1 picks, any other\n"
    "button cancels) and Glimmer appends a window declaration for it to the\n"
    "declarations FILE: a Window record whose tag is the window's title, whose class\n"
    "is its WM_CLASS class, with Parent=1 and Child=0, named after the class (a\n"
    "valid Tessera identifier, made unique in the file with 2, 3 ...). FILE is\n"
    "created when missing; an existing FILE is read first and written back whole\n"
    "in the canonical format through a temporary file, and a FILE that does not\n"
    "read as declarations is left as it is.\n"
#ifdef GLIMMER_WITH_QT
    "\n"
    "Without FILE a file dialog asks for it, and the outcome is shown in a box.\n"
#else
    "\n"
    "FILE is required (this build has no file dialog).\n"
#endif
    "\n"
    "Exit status: 0 when the record was added, 1 on failure (no display, the\n"
    "pick was cancelled, the file does not read or cannot be written), 2 for\n"
    "bad usage.\n";

struct Options {
    std::string display;
    std::string file;
    std::string windowText;
    unsigned long window = 0;
    bool haveWindow = false;
};

// Returns -1 to go on, else the exit status.
int ParseArguments(int argc, char** argv, Options& options) {
    const std::shared_ptr<CLI::App> app =
        NewCommandLine("Records a window declaration for the window clicked or named.", "Glimmer");
    AddVersionFlag(*app);
    AddManPageFlag(*app);
    AddTextOption(*app, "FILE", options.file, "The declarations file to add the window to", "FILE");
    AddTextOption(*app, "--window", options.windowText,
                  "Record window ID (decimal or 0x hexadecimal) instead of waiting for a click",
                  "ID");
    AddTextOption(*app, "--display", options.display, "The X display to use (default: $DISPLAY)",
                  "NAME");
    const std::string usage = std::string(kUsageLines) + "\n" + kNotes;
    const int parsed = ParseCommandLine(*app, std::vector<std::string>(argv + 1, argv + argc),
                                        std::cout, std::cerr, usage);
    if (parsed >= 0 || options.windowText.empty())
        return parsed;
    const std::string& value = options.windowText;
    char* end = nullptr;
    errno = 0;
    options.window = std::strtoul(value.c_str(), &end, 0);
    if (value[0] == '-' || *end != '\0' || errno != 0 || options.window == 0) {
        std::cerr << "Glimmer: '" << value << "' is not a window id\n";
        return kExitUsage;
    }
    options.haveWindow = true;
    return -1;
}

// Reports on the terminal (in English), and in a box (in the desktop's
// language) when the file came from the dialog.
int Finish(bool succeeded, const char* pattern, std::initializer_list<std::string> args,
           bool withBox) {
    (succeeded ? std::cout : std::cerr) << "Glimmer: " << FillText(pattern, args) << "\n";
#ifdef GLIMMER_WITH_QT
    if (withBox)
        ShowOutcome(succeeded, UiFormat(pattern, args));
#else
    (void)withBox;
#endif
    return succeeded ? kExitOk : kExitFailure;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (const int status = ParseArguments(argc, argv, options); status >= 0)
        return status;

    // WM_NAME in the user's encoding converts to UTF-8 only under their locale.
    std::setlocale(LC_CTYPE, "");
    std::string cause;
    Display* display = OpenX11Display(options.display, cause);
    if (!display) {
        std::cerr << "Glimmer: no X display to pick a window on: " << cause << "\n";
        return kExitFailure;
    }
    bool fromDialog = false;
    if (options.file.empty()) {
#ifdef GLIMMER_WITH_QT
        if (!options.display.empty())
            setenv("DISPLAY", options.display.c_str(), 1);
        if (!ChooseDeclarationsFile(options.file)) {
            XCloseDisplay(display);
            return kExitFailure;
        }
        fromDialog = true;
#else
        std::cerr << "Glimmer: no declarations FILE given\n" << kUsageLines;
        XCloseDisplay(display);
        return kExitUsage;
#endif
    }

    Window window = options.window;
    std::string error;
    if (!options.haveWindow)
        std::cout << "Glimmer: click the window to record (any other button than the first cancels)"
                  << std::endl;
    if (!options.haveWindow && !PickWindowByClick(display, window, error)) {
        XCloseDisplay(display);
        return Finish(false, UI_TEXT("Wingmate", "no window recorded: %1"), {error}, fromDialog);
    }
    if (window == DefaultRootWindow(display)) {
        XCloseDisplay(display);
        return Finish(false,
                      UI_TEXT("Wingmate", "no window recorded: that was the desktop, not a window"),
                      {}, fromDialog);
    }
    PickedWindowInfo info;
    const bool read = ReadWindowInfo(display, ClientWindowOf(display, window), info, error);
    XCloseDisplay(display);
    if (!read)
        return Finish(false, UI_TEXT("Wingmate", "no window recorded: %1"), {error}, fromDialog);

    WindowRecordResult result;
    if (!AppendWindowRecord(options.file, info.title, info.resClass, result, error))
        return Finish(false, UI_TEXT("Wingmate", "no window recorded in %1: %2"),
                      {options.file, error}, fromDialog);
    return Finish(true, UI_TEXT("Wingmate", "added Window \"%1\" (title \"%2\", class \"%3\") to %4"),
                  {result.name, info.title, info.resClass, options.file}, fromDialog);
}
