#include "run/ScriptOutStream.h"

#include <cstring>

CScriptOutStream::CScriptOutStream(IOutputSink* outputSink, IInputRequest* inputPrompt)
    : output(outputSink), prompt(inputPrompt) {}

CScriptOutStream::~CScriptOutStream() {
    localFile.Close();
}

CStatus CScriptOutStream::OpenScriptLog(const std::string& path) {
    return localFile.Open(path.c_str(), "w");
}

void CScriptOutStream::Append(const std::string& text) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        lastOutput = text;
    }
    if (output)
        output->AppendOutput(text);
}

void CScriptOutStream::Write(std::string_view text, char lineBreak) {
    std::string shown(text);
    if (lineBreak)
        shown += "\n";
    Append(shown);
    localFile.WriteLine(String(text.data(), text.size()));
}

// The dialog's instructions are the last text this script wrote: with two
// scripts running side by side, each prompt shows its own script's text.
int CScriptOutStream::ReadInput(char* buffer, int capacity) {
    if (!buffer || capacity <= 0)
        return -1;
    buffer[0] = '\0';
    std::string entered;
    CReplyWait wait;
    std::string instructions;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (inputClosed || !prompt)
            return -1;
        pendingInput = wait;
        instructions = lastOutput;
    }
    prompt->RequestInput(instructions, wait.Giver());
    bool answered = wait.Wait(&entered);
    {
        std::lock_guard<std::mutex> lock(mutex);
        pendingInput.reset();
    }
    if (!answered || entered.size() >= static_cast<size_t>(capacity))
        return -1;
    std::memcpy(buffer, entered.c_str(), entered.size() + 1);
    localFile.WriteLine(entered);
    localFile.WriteLine("\n");
    Append(entered + "\n");
    return static_cast<int>(entered.size());
}

void CScriptOutStream::CloseInput() {
    std::lock_guard<std::mutex> lock(mutex);
    inputClosed = true;
    if (pendingInput)
        pendingInput->Abandon();
}

std::string CScriptOutStream::LastOutputText() const {
    std::lock_guard<std::mutex> lock(mutex);
    return lastOutput;
}

void CScriptOutStream::WriteError(std::string_view text, char lineBreak) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (firstError.empty())
            firstError = std::string(text);
    }
    Write(text, lineBreak);
}

std::string CScriptOutStream::FirstError() const {
    std::lock_guard<std::mutex> lock(mutex);
    return firstError;
}
