#pragma once
// Dead keys and Compose-key sequences followed the way X input methods follow
// them, so that the recorder writes the character the application received:
// dead_circumflex then "e" is "ê", dead_circumflex then space is "^".
//
// With libxkbcommon the sequences come from the Compose table of the locale
// (LC_ALL, LC_CTYPE, LANG; the user's ~/.XCompose and $XCOMPOSEFILE count),
// or from the "en_US.UTF-8" table when the locale has none. Without it, dead
// keys are only kept out of the text; the following key is recorded alone.

#include <cstdint>
#include <memory>
#include <string>

class CKeyComposer {
public:
    // `locale` empty: the process environment's.
    explicit CKeyComposer(const std::string& locale = {});
    ~CKeyComposer();
    CKeyComposer(const CKeyComposer&) = delete;
    CKeyComposer& operator=(const CKeyComposer&) = delete;

    struct Result {
        bool swallowed = false; // the key began or continued a sequence: no text yet
        std::string text;       // what the application receives from this key
    };
    // A key press producing `keysym`, whose own text is `text`. A key that
    // cancels a sequence gives its own text: the accent is lost, the letter
    // is not.
    Result Feed(uint32_t keysym, std::string text);
    // Forgets a sequence under way (a chord, another window).
    void Reset();
    // False when no Compose table could be loaded: only dead keys are known.
    bool HasTable() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};
