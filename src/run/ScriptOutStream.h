#pragma once
// The stream a macro's script writes to and reads from: every text goes to
// the Output page's box and, as one line, to the script log beside the
// script; Input asks the user through the input dialog.

#include "engine/Stream.h"
#include "ports/RunPorts.h"
#include "run/ReplyWait.h"

#include <mutex>
#include <optional>
#include <string>

class CScriptOutStream : public ssi_stream {
public:
    // Either port may be null (the text then only reaches the log; Input has
    // no answer).
    CScriptOutStream(IOutputSink* output, IInputRequest* prompt);
    ~CScriptOutStream() override;

    // Appends the text (and "\n" when `lineBreak` is set) to the output box
    // and writes the text alone as one line of the script log.
    void Write(std::string_view text, char lineBreak) override;
    // Written like any text; the first is also kept for FirstError.
    void WriteError(std::string_view text, char lineBreak) override;
    // The first compile or runtime error written ("" when none).
    std::string FirstError() const;
    // Asks the user for a line, with the last output text as instructions.
    // Returns its length, or -1 with "" in `buffer` when it does not fit
    // (length >= capacity) or no answer came (the input was closed).
    int ReadInput(char* buffer, int capacity) override;

    // Opens the script log with mode "w"; the stream closes it when destroyed.
    CStatus OpenScriptLog(const std::string& path);

    // Ends a pending input request and refuses later ones (Stop, shutdown).
    // Any thread.
    void CloseInput();

    // The text last given to the output box by this stream.
    std::string LastOutputText() const;

private:
    void Append(const std::string& text);

    IOutputSink* output;
    IInputRequest* prompt;
    mutable std::mutex mutex; // guards the fields below
    std::string lastOutput;
    std::string firstError;
    bool inputClosed = false;
    std::optional<CReplyWait> pendingInput;
};
