#pragma once
// `ssi_stream`: where a script's output goes and where its input comes from.
// A host derives from it and overrides Write and ReadInput; everything else
// the engine writes (errors, warnings) funnels into Write by default.
// Texts are byte strings with their length: a script's strings may hold NUL
// bytes, and those reach the host whole.

#include "engine/ScriptFile.h"

#include <string_view>

class ssi_stream {
public:
    ssi_stream() = default;
    virtual ~ssi_stream() = default;
    ssi_stream(const ssi_stream&) = delete;
    ssi_stream& operator=(const ssi_stream&) = delete;

    // Writes `text`; a nonzero `lineBreak` ends the line after it. The base
    // class discards the text.
    virtual void Write(std::string_view text, char lineBreak);
    // Write without a line break.
    virtual void WriteText(std::string_view text) { Write(text, 0); }
    virtual void SetDebug(int level) { debugLevel = level; }
    // Asks the user for one line: fills `buffer` (capacity bytes including
    // the terminating zero) and returns the line's length, or -1 when there
    // is no input (the buffer then holds ""). The base class has none.
    virtual int ReadInput(char* buffer, int capacity);
    virtual int getDebug() const { return debugLevel; }
    // Writes `text` as one line.
    virtual void LogDisp(std::string_view text) { Write(text, 1); }
    // Compile and runtime errors of the script.
    virtual void WriteError(std::string_view text, char lineBreak) { Write(text, lineBreak); }
    virtual void WriteWarning(std::string_view text, char lineBreak) { Write(text, lineBreak); }
    virtual void WriteDebug(std::string_view text, char lineBreak) { Write(text, lineBreak); }
    // A file the host may use as the script's log.
    virtual File* getLocalFile() { return &localFile; }
    virtual int SetLogging(int) { return 1; }
    // printf-style Write without a line break.
    virtual void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));

protected:
    File localFile;
    int debugLevel = 0;
};
