#include "TerminalStream.h"

#include "run/MacroRunner.h"

#include <cstring>

// The same log a macro run writes: never the script itself, so that a
// script named "notes.log" is not emptied by its own run.
std::string CTerminalStream::LogPathFor(const std::string& scriptPath) {
    return LogBesideScript(scriptPath);
}

CStatus CTerminalStream::OpenLog(const std::string& scriptPath) {
    const std::string log = LogPathFor(scriptPath);
    if (log.empty())
        return CStatus::Ok(); // a script from a pipe or a device: no log
    return localFile.Open(log.c_str(), "w");
}

void CTerminalStream::Log(std::string_view text) {
    if (localFile.IsOpen())
        localFile.WriteLine(String(text.data(), text.size()));
}

void CTerminalStream::Write(std::string_view text, char lineBreak) {
    std::fwrite(text.data(), 1, text.size(), output);
    if (lineBreak)
        std::fputc('\n', output);
    std::fflush(output);
    Log(text);
}

void CTerminalStream::WriteError(std::string_view text, char lineBreak) {
    std::fflush(output);
    std::fwrite(text.data(), 1, text.size(), errors);
    if (lineBreak)
        std::fputc('\n', errors);
    std::fflush(errors);
    Log(text);
}

// One line from standard input without its line end; -1 at the end of input
// or for a line that does not fit.
int CTerminalStream::ReadInput(char* buffer, int capacity) {
    if (!buffer || capacity <= 0)
        return -1;
    buffer[0] = '\0';
    std::string line;
    int c;
    bool any = false;
    while ((c = std::fgetc(input)) != EOF) {
        any = true;
        if (c == '\n')
            break;
        line += static_cast<char>(c);
    }
    if (!any)
        return -1;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (line.size() >= static_cast<size_t>(capacity))
        return -1;
    std::memcpy(buffer, line.c_str(), line.size() + 1);
    Log(line);
    return static_cast<int>(line.size());
}
