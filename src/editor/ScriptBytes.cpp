#include "editor/ScriptBytes.h"

namespace {
// Length of the UTF-8 sequence starting at bytes[i], 0 when it is malformed
// (overlong forms, surrogates and values past U+10FFFF included).
size_t Utf8SequenceLength(std::string_view bytes, size_t i) {
    const auto at = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = at(i);
    if (lead < 0x80)
        return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > bytes.size())
        return 0;
    if (at(i + 1) < low || at(i + 1) > high)
        return 0;
    for (size_t k = 2; k < length; ++k)
        if (at(i + k) < 0x80 || at(i + k) > 0xBF)
            return 0;
    return length;
}
} // namespace

bool IsValidUtf8(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size();) {
        const size_t length = Utf8SequenceLength(bytes, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

ScriptFormat DetectScriptFormat(std::string_view bytes) {
    ScriptFormat format;
    format.utf8 = IsValidUtf8(bytes);
    size_t breaks = 0, crlfBreaks = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\n')
            continue;
        ++breaks;
        if (i > 0 && bytes[i - 1] == '\r')
            ++crlfBreaks;
    }
    format.crlf = breaks > 0 && crlfBreaks == breaks;
    return format;
}

std::string ScriptBytesToText(std::string_view bytes, const ScriptFormat& format) {
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 8);
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (format.crlf && byte == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue;
        if (format.utf8 || byte < 0x80) {
            text.push_back(char(byte));
        } else {
            text.push_back(char(0xC0 | (byte >> 6)));
            text.push_back(char(0x80 | (byte & 0x3F)));
        }
    }
    return text;
}

bool ScriptTextToBytes(std::string_view text, const ScriptFormat& format, std::string& bytes,
                       std::string* error) {
    bytes.clear();
    bytes.reserve(text.size() + (format.crlf ? text.size() / 16 : 0));
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\n' && format.crlf)
            bytes.push_back('\r');
        if (format.utf8 || byte < 0x80) {
            bytes.push_back(char(byte));
            continue;
        }
        // Latin-1 file: only U+0080..U+00FF can be written back.
        if ((byte == 0xC2 || byte == 0xC3) && i + 1 < text.size()) {
            bytes.push_back(
                char(((byte & 0x03) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3F)));
            ++i;
            continue;
        }
        if (error)
            *error = "The file is not UTF-8 and the text holds characters its encoding cannot "
                     "store.";
        return false;
    }
    return true;
}
