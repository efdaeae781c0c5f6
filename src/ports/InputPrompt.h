#pragma once
// Port: asking the user for one line of text while a script runs ("Tessera -
// Input Required"). Called from a script's worker thread; the GUI adapter
// shows its dialog on the user-interface thread and waits for it.

#include <optional>
#include <string>

class IInputPrompt {
public:
    virtual ~IInputPrompt() = default;
    // The entered text after OK; nullopt when the dialog was closed any other
    // way. `instructions` is the text shown above the edit line.
    virtual std::optional<std::string> AskInput(const std::string& instructions) = 0;
};
