#include "library/MacroExtras.h"

#include "engine/JsonString.h"
#include "engine/Utf8.h"
#include "library/WindowFilter.h"

#include <charconv>

// The sidecar is text, one field a line, so that it can be read and
// mended by hand:
//
//   wingmate-extras 1
//   macro 12
//   abbreviation ";sig"
//   expand-immediately 1
//   match-case 1
//   replace-with-text "Best regards,\n$|$"
//   window-filter class include "re:^XTerm$"
//   end
//
// Texts are JSON string literals. A later format raises the number on the
// first line; this one refuses numbers it does not know.

namespace {

constexpr std::string_view kMagic = "wingmate-extras";
constexpr int kVersion = 1;

bool ParseInt(std::string_view text, int32_t& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

// "key rest" with surrounding blanks trimmed.
std::pair<std::string_view, std::string_view> SplitKey(std::string_view line) {
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
        line.remove_suffix(1);
    const size_t space = line.find(' ');
    if (space == std::string_view::npos)
        return {line, {}};
    std::string_view rest = line.substr(space + 1);
    while (!rest.empty() && rest.front() == ' ')
        rest.remove_prefix(1);
    return {line.substr(0, space), rest};
}

// The whole of `text` is one string literal.
bool ReadText(std::string_view text, std::string& out, std::string& error) {
    if (text.empty() || text.front() != '"') {
        error = "a text in double quotes was expected";
        return false;
    }
    size_t at = 0;
    error = ReadJsonString(text, at, out);
    if (error.empty() && at != text.size())
        error = "unexpected text after the closing quote";
    // Written back, such bytes would not stay as they are.
    if (error.empty() && Utf8InvalidAt(out) != std::string_view::npos)
        error = "the text is not valid UTF-8";
    return error.empty();
}

bool ReadFlag(std::string_view text, bool& out, std::string& error) {
    if (text == "0" || text == "1") {
        out = text == "1";
        return true;
    }
    error = "0 or 1 was expected";
    return false;
}

// "class|title include|exclude TEXT"
bool ReadFilter(std::string_view text, WindowFilter& out, std::string& error) {
    auto [field, rest] = SplitKey(text);
    auto [mode, pattern] = SplitKey(rest);
    if (field != "class" && field != "title") {
        error = "class or title was expected";
        return false;
    }
    if (mode != "include" && mode != "exclude") {
        error = "include or exclude was expected";
        return false;
    }
    WindowFilter read;
    read.matchTitle = field == "title";
    read.exclude = mode == "exclude";
    if (!ReadText(pattern, read.pattern, error))
        return false;
    // No pattern is no filter, whatever it was to match.
    out = read.pattern.empty() ? WindowFilter() : read;
    return true;
}

} // namespace

std::string ExtrasProblem(const MacroExtras& extras) {
    if (Utf8InvalidAt(extras.abbreviation) != std::string_view::npos)
        return "The abbreviation is not valid UTF-8 text.";
    for (const char c : extras.abbreviation)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return "The abbreviation holds a control character.";
    if (Utf8CharacterCount(extras.abbreviation) > MacroExtras::kMaxAbbreviation)
        return "The abbreviation is longer than " + std::to_string(MacroExtras::kMaxAbbreviation) +
               " characters.";
    if (Utf8InvalidAt(extras.replaceWithText) != std::string_view::npos)
        return "The replacement text is not valid UTF-8 text.";
    for (const char c : extras.replaceWithText)
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') ||
            c == 0x7f)
            return "The replacement text holds a control character other than a tab or a line "
                   "break.";
    return WindowFilterError(extras.filter);
}

std::string ExtrasJsonMembers(const MacroExtras& extras) {
    const auto flag = [](bool on) { return on ? "true" : "false"; };
    return ", \"abbreviation\": " + JsonString(extras.abbreviation) +
           ", \"expandImmediately\": " + flag(extras.expandImmediately) +
           ", \"matchCase\": " + flag(extras.matchCase) +
           ", \"replaceWithText\": " + JsonString(extras.replaceWithText) +
           ", \"windowFilter\": {\"pattern\": " + JsonString(extras.filter.pattern) +
           ", \"field\": " + (extras.filter.matchTitle ? "\"title\"" : "\"class\"") +
           ", \"mode\": " + (extras.filter.exclude ? "\"exclude\"" : "\"include\"") + "}";
}

std::string EncodeExtrasFile(const std::map<int32_t, MacroExtras>& entries) {
    std::string out = std::string(kMagic) + " " + std::to_string(kVersion) + "\n";
    for (const auto& [id, extras] : entries) {
        if (extras.Empty())
            continue;
        out += "macro " + std::to_string(id) + "\n";
        if (!extras.abbreviation.empty())
            out += "abbreviation " + JsonString(extras.abbreviation) + "\n";
        if (extras.expandImmediately)
            out += "expand-immediately 1\n";
        if (extras.matchCase)
            out += "match-case 1\n";
        if (!extras.replaceWithText.empty())
            out += "replace-with-text " + JsonString(extras.replaceWithText) + "\n";
        if (!extras.filter.Empty())
            out += std::string("window-filter ") + (extras.filter.matchTitle ? "title" : "class") +
                   (extras.filter.exclude ? " exclude " : " include ") +
                   JsonString(extras.filter.pattern) + "\n";
        out += "end\n";
    }
    return out;
}

// Reads on past a damaged entry: every whole entry is kept, the first
// damage is reported.
ExtrasFileRead DecodeExtrasFile(std::string_view text) {
    ExtrasFileRead result;
    size_t lineNumber = 0;
    bool sawHeader = false;
    bool inEntry = false;
    bool entryBad = false;
    int32_t id = 0;
    MacroExtras current;

    auto damage = [&](const std::string& what) {
        if (result.damage.empty())
            result.damage = "line " + std::to_string(lineNumber) + ": " + what;
    };

    while (!text.empty()) {
        const size_t newline = text.find('\n');
        const std::string_view line = text.substr(0, newline);
        text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
        ++lineNumber;
        const auto [key, rest] = SplitKey(line);
        if (key.empty() || key.front() == '#')
            continue;
        if (!sawHeader) {
            int32_t version = 0;
            if (key != kMagic || !ParseInt(rest, version)) {
                damage("this is not a file of macro extras");
                return result;
            }
            if (version != kVersion) {
                damage("format " + std::string(rest) + " is not known to this version");
                return result;
            }
            sawHeader = true;
            continue;
        }
        if (key == "macro") {
            if (inEntry)
                damage("\"end\" is missing before this entry");
            inEntry = true;
            entryBad = false;
            current = MacroExtras{};
            if (!ParseInt(rest, id)) {
                damage("a macro id was expected");
                entryBad = true;
            }
            continue;
        }
        if (!inEntry) {
            damage("\"" + std::string(key) + "\" outside an entry");
            continue;
        }
        if (key == "end") {
            if (!entryBad && !result.entries.emplace(id, current).second)
                damage("a second entry for macro " + std::to_string(id));
            inEntry = false;
            continue;
        }
        std::string error;
        bool ok = false;
        if (key == "abbreviation")
            ok = ReadText(rest, current.abbreviation, error);
        else if (key == "expand-immediately")
            ok = ReadFlag(rest, current.expandImmediately, error);
        else if (key == "match-case")
            ok = ReadFlag(rest, current.matchCase, error);
        else if (key == "replace-with-text")
            ok = ReadText(rest, current.replaceWithText, error);
        else if (key == "window-filter")
            ok = ReadFilter(rest, current.filter, error);
        else
            error = "unknown field \"" + std::string(key) + "\"";
        if (!ok) {
            damage(error);
            entryBad = true;
        }
    }
    if (!sawHeader)
        damage("the file is empty");
    else if (inEntry)
        damage("the file ends inside the entry of macro " + std::to_string(id));
    return result;
}
