// libtextutils.so: text functions for Tessera scripts, and the template for
// writing an external function library.
//
// Build it against engine/TesseraPlugin.h only, list it in "Externals.dat"
// in the Wingmate home folder (or load it with `dll "libtextutils.so";`),
// and call its functions from a script:
//
//     Print(Capitalize("hello big world")); // Hello Big World
//     Print(Center("mid", 7, "*"));         // **mid**
//     Print(WordCount("one two three"));    // 3
//
// Texts are UTF-8; widths count characters, not bytes. A library cannot
// take a builtin's name (Reverse, PadLeft, Repeat... are builtins).

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

// Center(text, width [, fill]): `text` in the middle of `width` characters
// of `fill` (default blank), the odd one on the right.
void Center(ITesseraCall* call, void*) {
    std::string text = call->ArgString(0);
    int64_t width = call->ArgInt(1);
    std::string fill = call->ArgCount() > 2 ? call->ArgString(2) : " ";
    if (Characters(fill).size() != 1)
        return call->Fail("the fill must be one character");
    if (width > (int64_t{1} << 20))
        return call->Fail("the width must be at most 1048576");
    int64_t missing = width - static_cast<int64_t>(Characters(text).size());
    std::string left, right;
    for (int64_t k = 0; k < missing; ++k)
        (k < missing / 2 ? left : right) += fill;
    std::string out = left + text + right;
    call->ReturnString(out.c_str());
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
    {"Capitalize", Capitalize, 1, 1},
    {"Center", Center, 2, 3},
    {"WordCount", WordCount, 1, 1},
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
