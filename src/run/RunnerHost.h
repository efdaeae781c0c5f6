#pragma once
// What a macro runner needs of the main window: the Output page, message
// boxes, the input prompt, and the end-of-run report (command 22000).

#include "ports/InputPrompt.h"
#include "ports/MessageBox.h"

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

class IRunnerHost {
public:
    virtual ~IRunnerHost() = default;
    // The run ended (command 22000): the host clears its running flag and
    // starts the next queued macro. From a worker thread it returns once the
    // user-interface thread has handled it; on that thread it acts at once.
    virtual void MacroFinished() = 0;
    virtual IScriptOutput& Output() = 0;
    // Message boxes; user-interface thread only.
    virtual IMessageBox& Messages() = 0;
    // The input dialog; from a worker thread (it waits for the user).
    virtual IInputPrompt& Input() = 0;
};
