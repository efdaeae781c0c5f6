// What watching for abbreviations adds to each key: 1,000 abbreviations (a
// tenth following case, a tenth expanding at once, a fifth limited to some
// windows by wildcard or regular expression), fed a text of words,
// punctuation and line breaks one character at a time. Also the trigger
// lookup of a key combination among 1,000 macros with window filters.
// Prints nanoseconds per key, the best of five passes.

#include "library/MacroLibrary.h"
#include "ports/Clock.h"
#include "triggers/AbbreviationMatcher.h"
#include "triggers/TriggerMatch.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

class SteppingClock : public IClock {
public:
    int64_t Now() const override { return ms / 1000; }
    int64_t Milliseconds() const override { return ms += 50; }
    mutable int64_t ms = 0;
};

// A word of 2 to 8 letters from a simple generator; the same every run.
std::string Word(uint32_t& seed) {
    std::string word;
    seed = seed * 1103515245u + 12345u;
    const size_t length = 2 + (seed >> 16) % 7;
    for (size_t k = 0; k < length; ++k) {
        seed = seed * 1103515245u + 12345u;
        word += static_cast<char>('a' + (seed >> 16) % 26);
    }
    return word;
}

template <class F> double BestNsPerKey(size_t keys, F&& pass) {
    double best = 1e18;
    for (int k = 0; k < 5; ++k) {
        const auto start = std::chrono::steady_clock::now();
        pass();
        const double ns =
            std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start)
                .count() /
            static_cast<double>(keys);
        best = ns < best ? ns : best;
    }
    return best;
}

} // namespace

int main() {
    constexpr int kMacros = 1000;
    CMacroLibrary library;
    CMacro root;
    root.name = "My Macros";
    root.kind = 2;
    const int32_t rootId = library.InsertRecord(root, -1, InsertPosition::Into);
    uint32_t seed = 7;
    for (int k = 0; k < kMacros; ++k) {
        CMacro macro;
        macro.name = "m" + std::to_string(k);
        macro.triggerKey = "<CTRL><ALT><" + std::string(1, static_cast<char>('A' + k % 26)) + ">";
        macro.extras.abbreviation = (k % 3 == 0 ? ";" : "") + Word(seed);
        macro.extras.matchCase = k % 10 == 1;
        macro.extras.expandImmediately = k % 10 == 2;
        if (k % 10 == 3)
            macro.extras.filter = {"*term*"};
        if (k % 10 == 4)
            macro.extras.filter = {"re:^(Mousepad|Gedit)$", false, true};
        library.InsertRecord(macro, rootId, InsertPosition::Into);
    }

    std::string text;
    uint32_t textSeed = 11;
    const char* ends[] = {" ", " ", " ", ", ", ". ", "\n", "; "};
    while (text.size() < 1'000'000) {
        text += Word(textSeed);
        text += ends[(textSeed >> 8) % 7];
    }
    std::vector<std::string> keys;
    for (const char c : text)
        keys.emplace_back(1, c);

    const ActiveWindow window{"~/src - xterm", "xterm", "XTerm"};
    SteppingClock clock;
    CAbbreviationMatcher matcher(clock);
    matcher.Update(library);
    size_t hits = 0;
    const double perKey = BestNsPerKey(keys.size(), [&] {
        hits = 0;
        for (const std::string& key : keys)
            hits += matcher.OnTyped(key, &window).has_value() ? 1 : 0;
    });
    std::printf("abbreviations: %d, keys: %zu, expansions: %zu, %.0f ns per key\n", kMacros,
                keys.size(), hits, perKey);

    constexpr size_t kLookups = 20000;
    size_t found = 0;
    const double perLookup = BestNsPerKey(kLookups, [&] {
        found = 0;
        for (size_t k = 0; k < kLookups; ++k) {
            const std::string combination =
                "<CTRL><ALT><" + std::string(1, static_cast<char>('A' + k % 26)) + ">";
            found += FindByTrigger(library, combination, TriggerPrefix::None, &window) ? 1 : 0;
        }
    });
    std::printf("trigger lookup among %d filtered macros: %.0f ns per key (%zu found)\n", kMacros,
                perLookup, found);
    return 0;
}
