#pragma once
// What the terminal programs share about their command lines: the version
// flag, the handling of a parse error, and the shell completions and manual
// pages generated from the same CLI11 description the parser uses, so none
// of them can drift apart.
//
// CLI11 is header-only and large: this header only names its classes, so a
// command that registers itself through the helpers below does not compile
// the parser again. Code that builds or walks a CLI::App includes
// <CLI/CLI.hpp> itself.

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace CLI {
class App;
} // namespace CLI

// The project version, set by the build.
const char* WingmateVersion();

// Adds --version (prints "NAME VERSION") to a program's command line.
void AddVersionFlag(CLI::App& app);

// Hidden options that print the program's completion script for bash, zsh
// or fish and end.
constexpr const char* kBashCompletionFlag = "--bash-completion";
constexpr const char* kZshCompletionFlag = "--zsh-completion";
constexpr const char* kFishCompletionFlag = "--fish-completion";
void AddCompletionFlags(CLI::App& app);

// Hidden option of a command whose argument the shells complete by asking
// the program: `PROGRAM COMMAND --complete PREFIX` calls `list`, which prints
// the candidates starting with PREFIX one a line and returns the exit status.
constexpr const char* kCompleteOption = "--complete";
void AddArgumentCompleter(CLI::App& command, std::function<int(const std::string&)> list);

// A program's command line, with nothing on it yet. With `allowExtras`,
// arguments it does not know are left for the program (Qt's own options).
std::shared_ptr<CLI::App> NewCommandLine(const std::string& description, const std::string& name,
                                         bool allowExtras = false);

// The command line must name exactly one command.
void RequireCommand(CLI::App& app);
// A command of `app` named `name`; `run` is called when the command line
// chose it and parsed without error.
CLI::App& AddCommand(CLI::App& app, const std::string& name, const std::string& description,
                     std::function<void()> run);
// An option that takes a text (`name` starts with "--"), shown with
// `typeName` ("TEXT" when empty), or with `required` a positional argument
// that must be given.
void AddTextOption(CLI::App& command, const std::string& name, std::string& value,
                   const std::string& description, const std::string& typeName = "",
                   bool required = false);
// A flag that sets `value`.
void AddFlag(CLI::App& command, const std::string& name, bool& value,
             const std::string& description);

// Hidden option that prints the program's manual page (troff) and ends.
constexpr const char* kManPageFlag = "--man-page";
void AddManPageFlag(CLI::App& app);

// Parses `args` (without the program name). Prints help, the version, the
// completion or the manual page to `out` and returns 0 for them; prints
// "PROGRAM: what went wrong" and `usage` to `err` and returns 2 for bad
// usage; returns -1 when the command line was taken and the program should
// go on. `usage` is the usage lines, then after a blank line the notes that
// --help and the manual page show after them.
int ParseCommandLine(CLI::App& app, const std::vector<std::string>& args, std::ostream& out,
                     std::ostream& err, const std::string& usage);

// The words a completion offers: every option of `app` (long names) and the
// names of its subcommands, and for each subcommand its options.
struct CompletionWords {
    std::string command; // empty for the program itself
    std::vector<std::string> words;
    std::vector<std::string> optionsTakingPath; // complete file names after these
    bool asksProgram = false; // arguments come from `PROGRAM COMMAND --complete PREFIX`
};
std::vector<CompletionWords> CollectCompletionWords(const CLI::App& app);

// An option of a command that reads its own arguments.
struct RawOption {
    std::string name;  // "--stop"
    std::string value; // "KEYS"; empty for a flag
    std::string description;
};

// A command that reads its own arguments: CLI11 stops at its name and hands
// everything after it to `run` untouched. `options` are shown by --help, the
// completion and the manual page.
CLI::App& AddRawSubcommand(CLI::App& app, const std::string& name, const std::string& summary,
                           std::vector<RawOption> options,
                           std::function<void(const std::vector<std::string>&)> run);

// A completion script for the program `app` describes: bash (a function the
// bash-completion package loads), zsh (an autoloaded `_PROGRAM`) or fish.
enum class CompletionShell { Bash, Zsh, Fish };
std::string CompletionScript(const CLI::App& app, CompletionShell shell);
std::string BashCompletion(const CLI::App& app);

// The manual page (section 1, troff) for the program `app` describes: its
// description, the usage lines and notes of `usage` (as ParseCommandLine
// takes them), every visible option and every command with its options.
// Sections written by hand (exit status, files, see also) are appended by
// the build.
std::string ManPage(const CLI::App& app, const std::string& usage);
