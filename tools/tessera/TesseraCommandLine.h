#pragma once
// The command line of `tessera`, described once for the parser, --help and
// the bash completion.

#include <CLI/CLI.hpp>

#include <string>

struct TesseraOptions {
    std::string file;
    std::string argsText;
    bool disassemble = false;
    bool check = false;
};

constexpr const char* kTesseraUsage = "usage: tessera FILE [--args TEXT]\n"
                                      "       tessera --disassemble FILE\n"
                                      "       tessera --check FILE\n"
                                      "       tessera --help | --version\n";

void BuildTesseraCommandLine(CLI::App& app, TesseraOptions& options);
