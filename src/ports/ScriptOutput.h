#pragma once
// Port: the Output page, as runs and the window write to it.

#include <string>

// The Output page: the last-run line and the running script's output.
class IScriptOutput {
public:
    virtual ~IScriptOutput() = default;
    // Any thread, never waiting for the user-interface thread. Remembers the
    // text as the last output text and shows it with its "\n" line ends as
    // line breaks, at the output box's caret (from another thread, within a
    // moment).
    virtual void AppendOutput(const std::string& text) = 0;
    // The text last given to AppendOutput (a script's input request shows it
    // as its instructions). Any thread.
    virtual std::string LastOutputText() const = 0;
    // User-interface thread: empty the output box.
    virtual void ClearOutput() = 0;
    // User-interface thread: the "Last Macro Run" line.
    virtual void SetLastRun(const std::string& text) = 0;
};
