#pragma once
// What the terminal programs share about their command lines: the version
// flag, the handling of a parse error, and bash completions generated from
// the same CLI11 description the parser uses, so the two cannot drift apart.

#include <CLI/CLI.hpp>

#include <ostream>
#include <string>
#include <vector>

// The project version, set by the build.
const char* WingmateVersion();

// Adds --version (prints "NAME VERSION") to a program's command line.
void AddVersionFlag(CLI::App& app);

// Hidden option that prints the program's bash completion script and ends.
constexpr const char* kBashCompletionFlag = "--bash-completion";
void AddBashCompletionFlag(CLI::App& app);

// Parses `args` (without the program name). Prints help or the version to
// `out` and returns 0 for them; prints "PROGRAM: what went wrong" and `usage`
// to `err` and returns 2 for bad usage; returns -1 when the command line was
// taken and the program should go on.
int ParseCommandLine(CLI::App& app, const std::vector<std::string>& args, std::ostream& out,
                     std::ostream& err, const std::string& usage);

// The words a completion offers: every option of `app` (long names) and the
// names of its subcommands, and for each subcommand its options.
struct CompletionWords {
    std::string command; // empty for the program itself
    std::vector<std::string> words;
    std::vector<std::string> optionsTakingPath; // complete file names after these
};
std::vector<CompletionWords> CollectCompletionWords(const CLI::App& app);

// A command that reads its own arguments: CLI11 stops at its name and hands
// everything after it over untouched. Its options are named here so that
// --help and the completion still know them.
class CRawCommand : public CLI::App {
public:
    CRawCommand(std::string summary, std::string name, std::vector<std::string> optionWords)
        : CLI::App(std::move(summary), std::move(name)), words(std::move(optionWords)) {
        prefix_command();
    }
    const std::vector<std::string>& OptionWords() const { return words; }

private:
    std::vector<std::string> words;
};

// A bash completion script for the program `app` describes.
std::string BashCompletion(const CLI::App& app);
