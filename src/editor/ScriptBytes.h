#pragma once
// How a script's bytes become the editor's text and back, so that saving
// changes only the bytes of the lines the user edited. A file that is valid
// UTF-8 is edited as UTF-8 (a byte-order mark is kept); any other file as
// Windows-1252, whose every byte has a character, so every byte survives;
// ISO-8859-1 may be chosen instead. Each line keeps its own line break while
// it is unedited; new and edited lines get the break the file mostly uses.

#include <string>
#include <string_view>

enum class ScriptEncoding { Utf8, Windows1252, Latin1 };
enum class LineEnd { Lf, CrLf, Cr };

struct ScriptFormat {
    ScriptEncoding encoding = ScriptEncoding::Utf8;
    bool bom = false;              // UTF-8 with a byte-order mark
    LineEnd lineEnd = LineEnd::Lf; // the break the file mostly uses
    bool Utf8() const { return encoding == ScriptEncoding::Utf8; }
};

// "UTF-8", "Windows-1252", "ISO-8859-1".
const char* EncodingName(ScriptEncoding encoding);

bool IsValidUtf8(std::string_view bytes);
// UTF-8 when the bytes are valid UTF-8, else Windows-1252; the mark and the
// line break most used.
ScriptFormat DetectScriptFormat(std::string_view bytes);

// The editor's text (UTF-8, "\n" between lines) from the file's bytes read
// as `format` says. false with `error` only for bytes that are not UTF-8
// when the format is UTF-8.
bool ScriptBytesToText(std::string_view bytes, const ScriptFormat& format, std::string& text,
                       std::string* error = nullptr);

// The bytes to write for `text` in `format`. `original` is what the file
// held, read as `originalFormat`: its lines that the text still has
// unchanged (before and after the edited part) keep their own line breaks,
// and their very bytes while the encoding is the same. false with `error`
// naming the first character the encoding cannot store, and its line.
bool ScriptTextToBytes(std::string_view text, const ScriptFormat& format, std::string& bytes,
                       std::string* error = nullptr, std::string_view original = {},
                       const ScriptFormat* originalFormat = nullptr);
