#include "editor/ScriptBytes.h"
#include "engine/Utf8.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <vector>

namespace {
constexpr std::string_view kBom = "\xEF\xBB\xBF";

// Windows-1252 characters of bytes 0x80..0x9F; the five bytes it leaves
// undefined keep the C1 control of the same number, so every byte reads.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Decodes the valid sequence of `length` bytes at bytes[i].
char32_t DecodeUtf8(std::string_view bytes, size_t i, size_t length) {
    const auto at = [&](size_t k) { return char32_t(static_cast<unsigned char>(bytes[k])); };
    if (length == 1)
        return at(i);
    char32_t value = at(i) & (0xFF >> (length + 1));
    for (size_t k = 1; k < length; ++k)
        value = (value << 6) | (at(i + k) & 0x3F);
    return value;
}

char32_t ByteCharacter(unsigned char byte, ScriptEncoding encoding) {
    if (encoding == ScriptEncoding::Windows1252 && byte >= 0x80 && byte < 0xA0)
        return kCp1252High[byte - 0x80];
    return byte;
}

// The byte for `c` in a one-byte encoding; -1 when it has none.
int CharacterByte(char32_t c, ScriptEncoding encoding) {
    if (encoding == ScriptEncoding::Windows1252 && c >= 0x80) {
        for (int k = 0; k < 32; ++k)
            if (kCp1252High[k] == c)
                return 0x80 + k;
        if (c < 0xA0)
            return -1;
    }
    return c <= 0xFF ? int(c) : -1;
}

// One line of a file: its bytes and the break after it (empty for the last).
struct Line {
    std::string_view bytes;
    std::string_view end;
};

// The file's bytes (after any mark) cut at "\r\n", "\n" and a lone "\r".
std::vector<Line> SplitLines(std::string_view bytes) {
    std::vector<Line> lines;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\n' && bytes[i] != '\r')
            continue;
        const size_t endLength =
            bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n' ? 2 : 1;
        lines.push_back({bytes.substr(start, i - start), bytes.substr(i, endLength)});
        i += endLength - 1;
        start = i + 1;
    }
    lines.push_back({bytes.substr(start), {}});
    return lines;
}

std::string_view Body(std::string_view bytes, const ScriptFormat& format) {
    if (format.Utf8() && format.bom && bytes.substr(0, kBom.size()) == kBom)
        bytes.remove_prefix(kBom.size());
    return bytes;
}

bool DecodeLine(std::string_view bytes, ScriptEncoding encoding, std::string& text) {
    if (encoding == ScriptEncoding::Utf8) {
        if (!IsValidUtf8(bytes))
            return false;
        text.append(bytes);
        return true;
    }
    for (const char byte : bytes)
        AppendUtf8(text, ByteCharacter(static_cast<unsigned char>(byte), encoding));
    return true;
}

// The line's characters in `encoding`; false with the first character that
// cannot be stored.
bool EncodeLine(std::string_view text, ScriptEncoding encoding, std::string& bytes,
                char32_t& refused) {
    if (encoding == ScriptEncoding::Utf8) {
        bytes.append(text);
        return true;
    }
    for (size_t i = 0; i < text.size();) {
        size_t length = Utf8SequenceLength(text, i);
        const char32_t c = length ? DecodeUtf8(text, i, length) : 0xFFFD;
        const int byte = CharacterByte(c, encoding);
        if (byte < 0) {
            refused = c;
            return false;
        }
        bytes.push_back(char(byte));
        i += length ? length : 1;
    }
    return true;
}

std::string_view BreakOf(LineEnd end) {
    switch (end) {
    case LineEnd::CrLf:
        return "\r\n";
    case LineEnd::Cr:
        return "\r";
    case LineEnd::Lf:
        break;
    }
    return "\n";
}

std::string RefusalText(char32_t refused, size_t line, ScriptEncoding encoding) {
    std::string shown;
    AppendUtf8(shown, refused);
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", unsigned(refused));
    return "Line " + std::to_string(line) + " holds \"" + shown + "\" (" + code + "), which " +
           EncodingName(encoding) + " cannot store. Save it as UTF-8 instead.";
}

std::vector<std::string_view> SplitText(std::string_view text) {
    std::vector<std::string_view> pieces;
    size_t start = 0;
    for (size_t at = text.find('\n'); at != std::string_view::npos; at = text.find('\n', start)) {
        pieces.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    pieces.push_back(text.substr(start));
    return pieces;
}
} // namespace

const char* EncodingName(ScriptEncoding encoding) {
    switch (encoding) {
    case ScriptEncoding::Windows1252:
        return "Windows-1252";
    case ScriptEncoding::Latin1:
        return "ISO-8859-1";
    case ScriptEncoding::Utf8:
        break;
    }
    return "UTF-8";
}

bool IsValidUtf8(std::string_view bytes) {
    return Utf8InvalidAt(bytes) == std::string_view::npos;
}

ScriptFormat DetectScriptFormat(std::string_view bytes) {
    ScriptFormat format;
    if (!IsValidUtf8(bytes))
        format.encoding = ScriptEncoding::Windows1252;
    format.bom = format.Utf8() && bytes.substr(0, kBom.size()) == kBom;
    size_t lf = 0, crlf = 0, cr = 0;
    for (const Line& line : SplitLines(Body(bytes, format))) {
        if (line.end == "\r\n")
            ++crlf;
        else if (line.end == "\r")
            ++cr;
        else if (line.end == "\n")
            ++lf;
    }
    if (crlf > lf && crlf >= cr)
        format.lineEnd = LineEnd::CrLf;
    else if (cr > lf && cr > crlf)
        format.lineEnd = LineEnd::Cr;
    return format;
}

bool ScriptBytesToText(std::string_view bytes, const ScriptFormat& format, std::string& text,
                       std::string* error) {
    text.clear();
    text.reserve(bytes.size() + bytes.size() / 8);
    const std::vector<Line> lines = SplitLines(Body(bytes, format));
    for (size_t k = 0; k < lines.size(); ++k) {
        if (!DecodeLine(lines[k].bytes, format.encoding, text)) {
            if (error)
                *error = "Line " + std::to_string(k + 1) + " is not valid " +
                         EncodingName(format.encoding) + ".";
            return false;
        }
        if (!lines[k].end.empty())
            text.push_back('\n');
    }
    return true;
}

bool ScriptTextToBytes(std::string_view text, const ScriptFormat& format, std::string& bytes,
                       std::string* error, std::string_view original,
                       const ScriptFormat* originalFormat) {
    const std::vector<std::string_view> pieces = SplitText(text);
    // The original's lines as text, to find the unchanged ones.
    std::vector<Line> old;
    std::vector<std::string> oldText;
    if (originalFormat) {
        old = SplitLines(Body(original, *originalFormat));
        oldText.resize(old.size());
        for (size_t k = 0; k < old.size(); ++k)
            if (!DecodeLine(old[k].bytes, originalFormat->encoding, oldText[k]))
                return ScriptTextToBytes(text, format, bytes, error); // unreadable: nothing kept
    }
    const size_t common = std::min(pieces.size(), old.size());
    size_t prefix = 0;
    while (prefix < common && pieces[prefix] == oldText[prefix])
        ++prefix;
    size_t suffix = 0;
    while (prefix + suffix < common &&
           pieces[pieces.size() - 1 - suffix] == oldText[old.size() - 1 - suffix])
        ++suffix;
    const bool sameEncoding = originalFormat && originalFormat->encoding == format.encoding;

    // Piece k of the text is original line k in the unchanged start, and
    // original line k + shift in the unchanged end.
    const auto n = std::ptrdiff_t(pieces.size());
    const std::ptrdiff_t shift = std::ptrdiff_t(old.size()) - n;
    const auto inStart = [&](std::ptrdiff_t k) { return k < std::ptrdiff_t(prefix); };
    const auto inEnd = [&](std::ptrdiff_t k) { return k >= n - std::ptrdiff_t(suffix); };

    bytes.clear();
    bytes.reserve(text.size() + text.size() / 16 + 3);
    if (format.Utf8() && format.bom)
        bytes.append(kBom);
    for (std::ptrdiff_t k = 0; k < n; ++k) {
        if (sameEncoding && (inStart(k) || inEnd(k))) {
            bytes.append(old[size_t(inStart(k) ? k : k + shift)].bytes);
        } else {
            char32_t refused = 0;
            if (!EncodeLine(pieces[size_t(k)], format.encoding, bytes, refused)) {
                if (error)
                    *error = RefusalText(refused, size_t(k) + 1, format.encoding);
                return false;
            }
        }
        if (k + 1 == n)
            break;
        // After an unchanged line of the start comes its own break; before an
        // unchanged line of the end, the break that stood before it.
        if (inStart(k) && !old[size_t(k)].end.empty())
            bytes.append(old[size_t(k)].end);
        else if (inEnd(k + 1) && k + shift >= 0)
            bytes.append(old[size_t(k + shift)].end);
        else
            bytes.append(BreakOf(format.lineEnd));
    }
    return true;
}
