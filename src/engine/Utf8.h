#pragma once
// UTF-8 helpers shared by the engine, the library's JSON, the editor's
// byte-exact loading and the X11 key tables.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Length of the valid UTF-8 sequence starting at text[i], or 0 when it is
// malformed (overlong forms, surrogates and values past U+10FFFF included).
inline size_t Utf8SequenceLength(std::string_view text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    size_t length = 0;
    uint32_t minimum = 0;
    uint32_t code = 0;
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, minimum = 0x80, code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, minimum = 0x800, code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, minimum = 0x10000, code = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

// Characters, not bytes: continuation bytes are not counted (exact for
// valid UTF-8).
inline size_t Utf8CharacterCount(std::string_view text) {
    size_t count = 0;
    for (const char c : text)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return count;
}

// The character of the valid sequence of `length` bytes at text[i] (as
// Utf8SequenceLength measured it).
inline char32_t Utf8CodeAt(std::string_view text, size_t i, size_t length) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (length == 1)
        return lead;
    char32_t code = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k)
        code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    return code;
}

// Offset of the first byte that does not start a valid sequence, or npos
// when all of `text` is valid UTF-8.
inline size_t Utf8InvalidAt(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const size_t length = Utf8SequenceLength(text, i);
        if (length == 0)
            return i;
        i += length;
    }
    return std::string_view::npos;
}

inline void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}
