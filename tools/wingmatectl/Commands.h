#pragma once
// wingmatectl: reads the macro library and talks to the running program from
// a terminal. Each command lives in its own file and registers itself on the
// command line with one Add...Command function.

#include "CliSupport.h"

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

    // Adds a paragraph to the notes.
    void AddNote(const std::string& paragraph) { notes += (notes.empty() ? "" : "\n") + paragraph; }
};

class CMacroLibrary;
// Says on `err` what went wrong with the extras file of a library just
// loaded (nothing when all is well).
void PrintExtrasReport(const CMacroLibrary& library, std::ostream& err);

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

// Prints each declarations FILE as a tree (name, type, tag, class, qualified
// name); with --normalize writes one FILE back in the canonical format. 1 when
// a file does not read (a file that does not read is never written).
int DeclCommand(const std::vector<std::string>& args, CtlStreams streams);
void AddDeclCommand(CLI::App& app, CtlContext& context);
// Records keys and mouse as a Tessera script until the stop combination and
// writes it to FILE; 1 without a display or RECORD, 2 for bad usage.
int RecordCommand(const std::vector<std::string>& args, CtlStreams streams);
void AddRecordCommand(CLI::App& app, CtlContext& context);
// Registers a command that reads its own arguments: everything after its
// name is handed to `run` as it was typed.
void AddRawCommand(CLI::App& app, CtlContext& context, const char* name, const char* summary,
                   std::vector<RawOption> options,
                   int (*run)(const std::vector<std::string>&, CtlStreams));

// Usage text for every command.
std::string CtlUsage(const CtlContext& context);
std::string CtlUsage();

// The library path a command reads: --file PATH, or Macros.mcf in the home
// folder.
std::string DefaultLibraryPath();

// "wingmatectl: ..." for a request the running program did not answer;
// "Wingmate is not running." when nothing listens.
void ReportUnreached(const std::string& error, bool reached, std::ostream& err);
