#pragma once
// A JSON string literal, written once for the whole program: the library's
// listings, status replies and the scripts' JsonStringify.

#include "engine/Utf8.h"

#include <cstdio>
#include <string>
#include <string_view>

// Quotes, backslashes and control characters get their escapes; bytes that
// are not valid UTF-8 become \u00XX, so the result is always valid JSON.
inline std::string JsonString(std::string_view text) {
    std::string out = "\"";
    char escape[8];
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const size_t length = Utf8SequenceLength(text, i);
        if (length == 0) {
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
            ++i;
            continue;
        }
        if (length > 1) {
            out.append(text, i, length);
            i += length;
            continue;
        }
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7f) {
                std::snprintf(escape, sizeof escape, "\\u%04x", c);
                out += escape;
            } else {
                out += static_cast<char>(c);
            }
        }
        ++i;
    }
    return out + "\"";
}

// Reads the JSON string literal whose opening quote is at text[at] into
// `out`. On success `at` is just past the closing quote and the result is
// empty; otherwise the result says what is wrong and `at` is where. A lone
// surrogate half becomes U+FFFD.
inline std::string ReadJsonString(std::string_view text, size_t& at, std::string& out) {
    auto hex4 = [&](unsigned& value) {
        if (at + 4 > text.size())
            return false;
        value = 0;
        for (int k = 0; k < 4; ++k) {
            const char h = text[at++];
            value <<= 4;
            if (h >= '0' && h <= '9')
                value |= unsigned(h - '0');
            else if (h >= 'a' && h <= 'f')
                value |= unsigned(h - 'a' + 10);
            else if (h >= 'A' && h <= 'F')
                value |= unsigned(h - 'A' + 10);
            else
                return false;
        }
        return true;
    };
    ++at; // the opening quote
    out.clear();
    for (;;) {
        if (at >= text.size())
            return "the text ends inside a string";
        const char c = text[at++];
        if (c == '"')
            return {};
        if (static_cast<unsigned char>(c) < 0x20)
            return "a control character inside a string";
        if (c != '\\') {
            out += c;
            continue;
        }
        if (at >= text.size())
            return "the text ends inside a string";
        const char e = text[at++];
        switch (e) {
        case '"':
        case '\\':
        case '/':
            out += e;
            break;
        case 'b':
            out += '\b';
            break;
        case 'f':
            out += '\f';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'u': {
            unsigned cp = 0;
            if (!hex4(cp))
                return "a \\u escape needs four hex digits";
            if (cp >= 0xD800 && cp < 0xDC00 && text.compare(at, 2, "\\u") == 0) {
                const size_t back = at;
                at += 2;
                unsigned low = 0;
                if (!hex4(low))
                    return "a \\u escape needs four hex digits";
                if (low >= 0xDC00 && low < 0xE000)
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                else
                    at = back;
            }
            if (cp >= 0xD800 && cp < 0xE000)
                cp = 0xFFFD;
            AppendUtf8(out, cp);
            break;
        }
        default:
            --at;
            return std::string("unknown escape '\\") + e + "'";
        }
    }
}
