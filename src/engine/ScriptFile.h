#pragma once
// Public line-oriented text file of the engine interface.

#include "engine/ScriptString.h"

#include <cstdio>

class File {
public:
    File() = default;
    ~File() { Close(); }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Opens `path` with mode "r" (read), "w" (create or empty) or "a"
    // (append). An open file is closed first.
    CStatus Open(const String& path, const char* mode);
    // Reads the next line without its line end; returns its length, or a
    // negative value at the end of the file (or when not open).
    int ReadLine(String& line);
    // Writes `line` and a line break, and flushes.
    CStatus WriteLine(const String& line);
    // Writes `text` as it is, and flushes.
    CStatus Write(const String& text);
    void Close();
    bool IsOpen() const { return handle != nullptr; }

private:
    std::FILE* handle = nullptr;
};
