#include "triggers/Expansion.h"

#include "engine/Utf8.h"

#include <ctime>

namespace {

constexpr std::string_view kCaretMark = "$|$";
constexpr std::string_view kClipboard = "{clipboard}";
constexpr std::string_view kDate = "{date:";

// Caret steps over typed text: characters, with "\r\n" one line break.
size_t CaretSteps(std::string_view text) {
    size_t breaks = 0;
    for (size_t at = text.find("\r\n"); at != std::string_view::npos;
         at = text.find("\r\n", at + 2))
        ++breaks;
    return Utf8CharacterCount(text) - breaks;
}

std::string LocalDate(std::string_view format, int64_t now) {
    const std::time_t when = static_cast<std::time_t>(now);
    std::tm parts{};
    if (format.empty() || !::localtime_r(&when, &parts))
        return {};
    char buffer[256];
    const std::string pattern(format);
    const size_t written = std::strftime(buffer, sizeof buffer, pattern.c_str(), &parts);
    return std::string(buffer, written);
}

} // namespace

std::string EraseKeys(size_t count) {
    std::string keys;
    for (size_t k = 0; k < count; ++k)
        keys += "<BKSP>";
    return keys;
}

namespace {
// What of `text` can be typed: a byte that is no character becomes U+FFFD,
// control characters other than tab and line breaks are left out.
std::string Typable(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const size_t length = Utf8SequenceLength(text, i);
        if (length == 0) {
            AppendUtf8(out, 0xFFFD);
            ++i;
            continue;
        }
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 0x20 && byte != 0x7F) || c == '\t' || c == '\n' || c == '\r')
            out.append(text, i, length);
        i += length;
    }
    return out;
}
} // namespace

std::string LiteralKeys(std::string_view text) {
    std::string keys;
    for (const char c : Typable(text)) {
        if (c == '<')
            keys += "<<>";
        else
            keys += c;
    }
    return keys;
}

std::string FillReplacement(std::string_view text, TypedCase typedCase, std::string_view clipboard,
                            int64_t now, size_t& caretBack) {
    std::string out;
    size_t caretAt = std::string::npos;
    bool firstDone = false;
    std::string literal;
    auto flush = [&] {
        out += ApplyTypedCase(literal, typedCase, &firstDone);
        literal.clear();
    };
    for (size_t i = 0; i < text.size();) {
        const std::string_view rest = text.substr(i);
        if (caretAt == std::string::npos && rest.substr(0, kCaretMark.size()) == kCaretMark) {
            flush();
            caretAt = out.size();
            i += kCaretMark.size();
        } else if (rest.substr(0, kClipboard.size()) == kClipboard) {
            flush();
            out += Typable(clipboard);
            i += kClipboard.size();
        } else if (const size_t close = rest.find('}');
                   rest.substr(0, kDate.size()) == kDate && close != std::string_view::npos) {
            flush();
            out += LocalDate(rest.substr(kDate.size(), close - kDate.size()), now);
            i += close + 1;
        } else {
            literal += text[i++];
        }
    }
    flush();
    caretBack = caretAt == std::string::npos ? 0 : CaretSteps(out.substr(caretAt));
    return out;
}

std::string ExpansionKeys(const AbbreviationHit& hit, std::string_view replacement,
                          std::string_view clipboard, int64_t now) {
    size_t caretBack = 0;
    const std::string text = FillReplacement(replacement, hit.typedCase, clipboard, now, caretBack);
    std::string keys = EraseKeys(hit.erase) + LiteralKeys(text) + LiteralKeys(hit.wordEnd);
    if (caretBack > 0)
        caretBack += CaretSteps(hit.wordEnd);
    for (size_t k = 0; k < caretBack; ++k)
        keys += "<LEFT>";
    return keys;
}
