#pragma once
// How a script's bytes become the editor's text and back, so that opening and
// saving an unchanged script writes the same bytes. A file that is valid
// UTF-8 is edited as UTF-8; any other file is taken byte for byte as
// Latin-1, so every byte survives a round trip. Line ends: a file whose every
// "\n" follows a "\r" is edited with "\n" and written back with "\r\n".

#include <string>
#include <string_view>

struct ScriptFormat {
    bool utf8 = true;  // false: one character per byte (Latin-1)
    bool crlf = false; // every line break is "\r\n"
};

bool IsValidUtf8(std::string_view bytes);
ScriptFormat DetectScriptFormat(std::string_view bytes);

// The editor's text (UTF-8, "\n" line breaks where the format says CRLF).
std::string ScriptBytesToText(std::string_view bytes, const ScriptFormat& format);

// The bytes to write for `text` in `format`. false with `error` when a
// character cannot be written in a Latin-1 file.
bool ScriptTextToBytes(std::string_view text, const ScriptFormat& format, std::string& bytes,
                       std::string* error);
