#pragma once
// Typed abbreviations: fed the characters the user types (already text, so
// the keyboard layout does not matter), it says when an abbreviation of the
// library has just been typed, which macro it starts, and how many
// characters to erase. The typed characters are kept only in memory, only
// the last few, and never leave this class.
//
// Everything here runs on the user-interface thread.

#include "library/WindowFilter.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class CMacroLibrary;
class IClock;

// How the user's typing of an abbreviation is to be followed in its
// replacement (for macros that ask for it).
enum class TypedCase {
    AsWritten,   // typed as defined (or the macro does not follow case)
    Capitalized, // "Sig" for "sig": the first letter in upper case
    Upper        // "SIG": every letter in upper case
};

struct AbbreviationHit {
    int32_t macroId = 0;
    // Characters to erase with Backspace: the abbreviation, and the word
    // end typed after it when there was one.
    size_t erase = 0;
    // The word end that completed it, to be typed again after the
    // replacement; empty when the macro expands immediately.
    std::string wordEnd;
    TypedCase typedCase = TypedCase::AsWritten;
};

class CAbbreviationMatcher {
public:
    static constexpr int64_t kIdleMilliseconds = 2000;

    explicit CAbbreviationMatcher(const IClock& clock);
    ~CAbbreviationMatcher();

    // Takes the library's abbreviations (again when it changed since).
    void Update(const CMacroLibrary& library);

    // Characters the user typed in `window` (null when not known). After
    // two seconds without keys the earlier ones are forgotten first. In a
    // password field nothing is kept and nothing expands. A hit empties
    // what was kept.
    std::optional<AbbreviationHit> OnTyped(std::string_view text, const ActiveWindow* window,
                                           bool passwordField = false);
    // Backspace: the last character typed is gone.
    void OnBackspace();
    // Forgets everything typed: a window change, a click, a key that moves
    // the caret.
    void Clear();

    // How many abbreviations are watched (for the Manager's status).
    size_t Count() const { return entries.size(); }

    // Whether a character ends a word: white space and punctuation.
    static bool IsWordEnd(char32_t c);

private:
    struct Entry {
        int32_t macroId = 0;
        std::u32string text; // folded when the case is not compared
        std::u32string written;
        bool matchCase = false;
        bool immediate = false;
        WindowFilter filter;
    };
    static constexpr size_t kKept = 33; // the longest abbreviation and one more

    std::optional<AbbreviationHit> Find(bool immediate, const ActiveWindow* window) const;
    bool EndsWith(const Entry& entry) const;
    void Push(char32_t c);

    const IClock& clock;
    uint64_t seenRevision = 0;
    bool loaded = false;
    std::vector<Entry> entries;
    // By the last character (folded for entries that follow case), the
    // entries longest first, then in library order.
    std::unordered_map<char32_t, std::vector<size_t>> byLast;

    std::array<char32_t, kKept> kept{};
    size_t keptCount = 0;
    bool startIsWordStart = true; // nothing before the kept characters was dropped
    int64_t lastKeyAt = 0;
};

// A character's simple lower and upper case (Latin, Greek, Cyrillic); other
// characters are their own.
char32_t FoldCase(char32_t c);
char32_t UpperCase(char32_t c);

// The replacement text in the typed case: every letter, or the first one,
// in upper case. `firstDone` (when given) carries over pieces of one text:
// once set, Capitalized leaves the rest as written; it is set at the first
// letter.
std::string ApplyTypedCase(std::string_view text, TypedCase typedCase, bool* firstDone = nullptr);
