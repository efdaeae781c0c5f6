#pragma once
// wingmatectl: reads the macro library and talks to the running program from
// a terminal. Each command lives in its own file and registers itself on the
// command line with one Add...Command function.

#include <CLI/CLI.hpp>

#include <ostream>
#include <string>
#include <vector>

// Exit statuses shared by every command.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

struct CtlStreams {
    std::ostream& out;
    std::ostream& err;
};

// What a command registration needs: the streams its command writes to, the
// status its command sets, and the usage lines every command adds its own to.
struct CtlContext {
    explicit CtlContext(CtlStreams s) : streams(s) {}
    CtlStreams streams;
    int status = kExitOk;
    std::vector<std::string> usageLines; // "list [--file PATH] [--json]"
    std::string notes;                   // paragraphs after the usage lines
};

// Runs the command line (without the program name); returns the exit status.
int RunWingmateCtl(const std::vector<std::string>& args, CtlStreams streams);

// The whole command line, every command registered.
void BuildWingmateCtl(CLI::App& app, CtlContext& context);

// Prints the library as a tree, or as JSON.
void AddListCommand(CLI::App& app, CtlContext& context);
// Every second of a local-time range at which an entry is due, with the
// entry: "YYYY-MM-DD HH:MM:SS<TAB>id<TAB>name".
void AddDueCommand(CLI::App& app, CtlContext& context);
// Asks the running program to run a macro as Execute does; 1 when it is not
// running or did not queue the macro.
void AddRunCommand(CLI::App& app, CtlContext& context);
// Writes to OUT the part of a damaged library FILE that can be read, as a
// library that loads; 1 when no root entry could be read.
void AddSalvageCommand(CLI::App& app, CtlContext& context);
// What the running program is doing; 1 when it is not running.
void AddStatusCommand(CLI::App& app, CtlContext& context);

// Usage text for every command.
std::string CtlUsage(const CtlContext& context);

// The library path a command reads: --file PATH, or Macros.mcf in the home
// folder.
std::string DefaultLibraryPath();

// "wingmatectl: ..." for a request the running program did not answer;
// "Wingmate is not running." when nothing listens.
void ReportUnreached(const std::string& error, bool reached, std::ostream& err);
