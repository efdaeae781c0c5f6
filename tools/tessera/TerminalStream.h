#pragma once
// The script stream of the terminal runner: output to standard output,
// messages to standard error, input from standard input, and every written
// text also as one line of the script log.

#include "engine/Engine.h"

#include <cstdio>
#include <string>

class CTerminalStream : public ssi_stream {
public:
    CTerminalStream(std::FILE* out, std::FILE* err, std::FILE* in)
        : output(out), errors(err), input(in) {}

    // Opens the log beside the script: its path up to the last "." in the
    // file name, then ".log" (emptied at every run).
    CStatus OpenLog(const std::string& scriptPath);
    static std::string LogPathFor(const std::string& scriptPath);

    void Write(std::string_view text, char lineBreak) override;
    void WriteError(std::string_view text, char lineBreak) override;
    int ReadInput(char* buffer, int capacity) override;

private:
    void Log(std::string_view text);
    std::FILE* output;
    std::FILE* errors;
    std::FILE* input;
};
