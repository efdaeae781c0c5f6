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
