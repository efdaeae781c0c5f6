// libtextutils.so: text functions for Tessera scripts, and the template for
// writing an external function library.
//
// Build it against engine/TesseraPlugin.h only, list it in "Externals.dat"
// in the Wingmate home folder (or load it with `dll "libtextutils.so";`),
// and call its functions from a script:
//
//     Print(Reverse("stressed"));           // desserts
//     Print(PadLeft("7", 3, "0"));          // 007
//     Print(Capitalize("hello big world")); // Hello Big World
//
// Texts are UTF-8; widths and reversal count characters, not bytes.

#include "engine/TesseraPlugin.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

// Splits UTF-8 text into characters (a malformed byte counts as one).
std::vector<std::string> Characters(const std::string& text) {
    std::vector<std::string> out;
    for (size_t k = 0; k < text.size();) {
        unsigned char lead = static_cast<unsigned char>(text[k]);
        size_t length = lead < 0x80         ? 1
                        : (lead >> 5) == 6  ? 2
                        : (lead >> 4) == 14 ? 3
                        : (lead >> 3) == 30 ? 4
                                            : 1;
        if (k + length > text.size())
            length = 1;
        for (size_t j = 1; j < length; ++j)
            if ((static_cast<unsigned char>(text[k + j]) & 0xC0) != 0x80)
                length = 1;
        out.push_back(text.substr(k, length));
        k += length;
    }
    return out;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Reverse(text): the characters in reverse order.
void Reverse(ITesseraCall* call, void*) {
    std::vector<std::string> chars = Characters(call->ArgString(0));
    std::string out;
    for (auto it = chars.rbegin(); it != chars.rend(); ++it)
        out += *it;
    call->ReturnString(out.c_str());
}

// Repeat(text, count): `text` count times; at most 16 MiB of result.
void Repeat(ITesseraCall* call, void*) {
    std::string text = call->ArgString(0);
    int64_t count = call->ArgInt(1);
    if (count < 0)
        return call->Fail("the count must not be negative");
    if (!text.empty() && static_cast<uint64_t>(count) > (uint64_t{16} << 20) / text.size())
        return call->Fail("the result would be longer than 16 MiB");
    std::string out;
    out.reserve(text.size() * static_cast<size_t>(count));
    for (int64_t k = 0; k < count; ++k)
        out += text;
    call->ReturnString(out.c_str());
}

// Pads to `width` characters with `fill` (default blank) on one side.
void Pad(ITesseraCall* call, bool left) {
    std::string text = call->ArgString(0);
    int64_t width = call->ArgInt(1);
    std::string fill = call->ArgCount() > 2 ? call->ArgString(2) : " ";
    if (Characters(fill).size() != 1)
        return call->Fail("the fill must be one character");
    if (width > (int64_t{1} << 20))
        return call->Fail("the width must be at most 1048576");
    int64_t missing = width - static_cast<int64_t>(Characters(text).size());
    std::string padding;
    for (int64_t k = 0; k < missing; ++k)
        padding += fill;
    std::string out = left ? padding + text : text + padding;
    call->ReturnString(out.c_str());
}
void PadLeft(ITesseraCall* call, void*) {
    Pad(call, true);
}
void PadRight(ITesseraCall* call, void*) {
    Pad(call, false);
}

// Capitalize(text): the first letter of every word in upper case (ASCII).
void Capitalize(ITesseraCall* call, void*) {
    std::string text = call->ArgString(0);
    bool wordStart = true;
    for (char& c : text) {
        if (wordStart && c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        wordStart = IsSpace(c);
    }
    call->ReturnString(text.c_str());
}

void StartsWith(ITesseraCall* call, void*) {
    std::string text = call->ArgString(0), prefix = call->ArgString(1);
    call->ReturnBool(text.compare(0, prefix.size(), prefix) == 0);
}

void EndsWith(ITesseraCall* call, void*) {
    std::string text = call->ArgString(0), suffix = call->ArgString(1);
    call->ReturnBool(text.size() >= suffix.size() &&
                     text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0);
}

// WordCount(text): runs of non-blank characters.
void WordCount(ITesseraCall* call, void*) {
    std::string text = call->ArgString(0);
    int64_t words = 0;
    bool inWord = false;
    for (char c : text) {
        if (!IsSpace(c) && !inWord)
            ++words;
        inWord = !IsSpace(c);
    }
    call->ReturnInt(words);
}

struct Function {
    const char* name;
    TesseraFunction function;
    int minArgs;
    int maxArgs;
};

const Function kFunctions[] = {
    {"Reverse", Reverse, 1, 1},       {"Repeat", Repeat, 2, 2},
    {"PadLeft", PadLeft, 2, 3},       {"PadRight", PadRight, 2, 3},
    {"Capitalize", Capitalize, 1, 1}, {"StartsWith", StartsWith, 2, 2},
    {"EndsWith", EndsWith, 2, 2},     {"WordCount", WordCount, 1, 1},
};

} // namespace

// The version of TesseraPlugin.h this library was built against.
TESSERA_PLUGIN_EXPORT_API_VERSION()

TESSERA_PLUGIN_EXPORT void RegisterFunctions(CEngine* engine) {
    for (const Function& f : kFunctions)
        engine->RegisterFunction(f.name, f.function, nullptr, f.minArgs, f.maxArgs);
}

// The functions keep no state, so nothing is left to undo after a run; a
// library that does (open files, caches per engine) frees it here.
TESSERA_PLUGIN_EXPORT void CleanUp(CEngine*) {}
