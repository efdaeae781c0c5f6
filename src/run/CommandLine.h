#pragma once
// Splits a program macro's argument text into words the way a POSIX shell
// splits words, without running a shell: blanks separate words; '...' keeps
// everything literally; "..." keeps everything but lets a backslash escape
// $ ` " \ and a line end; a backslash outside quotes escapes the next
// character. Nothing is expanded ($VAR, *, ~ stay as they are).

#include <string>
#include <vector>

// false (with `error`) for an unterminated quote or a trailing backslash.
bool SplitCommandLine(const std::string& text, std::vector<std::string>* words, std::string* error);
