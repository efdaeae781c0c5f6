#pragma once
// wingmatectl: reads the macro library from a terminal.

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

// Runs the command line (without the program name); returns the exit status.
int RunWingmateCtl(const std::vector<std::string>& args, CtlStreams streams);

int ListCommand(const std::vector<std::string>& args, CtlStreams streams);
// Every second of a local-time range at which an entry is due, with the
// entry: "YYYY-MM-DD HH:MM:SS<TAB>id<TAB>name".
int DueCommand(const std::vector<std::string>& args, CtlStreams streams);

// Asks the running program to run a macro as Execute does; 1 when it is not
// running or did not queue the macro.
int RunCommand(const std::vector<std::string>& args, CtlStreams streams);

// Writes to OUT the part of a damaged library FILE that can be read, as a
// library that loads; 1 when no root entry could be read.
int SalvageCommand(const std::vector<std::string>& args, CtlStreams streams);

// Prints each declarations FILE as a tree (name, type, tag, class, qualified
// name); with --normalize writes one FILE back in the canonical format. 1 when
// a file does not read (a file that does not read is never written).
int DeclCommand(const std::vector<std::string>& args, CtlStreams streams);
// Records keys and mouse as a Tessera script until the stop combination and
// writes it to FILE; 1 without a display or RECORD, 2 for bad usage.
int RecordCommand(const std::vector<std::string>& args, CtlStreams streams);

// Usage text for every command.
std::string CtlUsage();

// The library path a command reads: --file PATH, or Macros.mcf in the home
// folder.
std::string DefaultLibraryPath();
