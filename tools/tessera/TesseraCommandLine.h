#pragma once
// The command line of `tessera`, described once for the parser, --help and
// the shell completions.

#include "CliSupport.h"

#include <string>

struct TesseraOptions {
    std::string file;
    std::string argsText;
    bool disassemble = false;
    bool check = false;
};

// The usage lines, then the notes --help and the manual page show.
constexpr const char* kTesseraUsage =
    "usage: tessera FILE [--args TEXT]\n"
    "       tessera --disassemble FILE\n"
    "       tessera --check FILE\n"
    "       tessera --help | --version\n"
    "\n"
    "tessera compiles the Tessera script FILE and runs it. The script's output goes\n"
    "to standard output, its errors to standard error. The external function\n"
    "libraries listed in Externals.dat in the Wingmate home folder are loaded\n"
    "first; problems go to LibMgrMessages.log there. With DISPLAY set, the desktop\n"
    "functions (TypeKeys, mouse, windows, clipboard) act on that X display; without\n"
    "one they fail with \"no display available\". A text the script put on the\n"
    "clipboard stays there after tessera ends: a background process serves it\n"
    "until another program takes the clipboard.\n";

void BuildTesseraCommandLine(CLI::App& app, TesseraOptions& options);
// Whether the parsed command line gave --args (an empty TEXT included).
bool TesseraArgsGiven(const CLI::App& app);
