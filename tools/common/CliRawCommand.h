#pragma once
// A command that reads its own arguments, for the files that build the
// command line and walk it (help, completions, manual page).

#include "CliSupport.h"

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

// A command that reads its own arguments: CLI11 stops at its name and hands
// everything after it over untouched. Its options are described here so that
// --help, the completion and the manual page still show them.
class CRawCommand : public CLI::App {
public:
    CRawCommand(std::string summary, std::string name, std::vector<RawOption> rawOptions);
    const std::vector<RawOption>& RawOptions() const { return options; }
    std::vector<std::string> OptionWords() const;

private:
    std::vector<RawOption> options;
};
