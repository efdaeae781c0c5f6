#pragma once
// Output on its way from a running script to the Output page's box. Workers
// append from any thread and never wait for the reader; the user-interface
// thread takes everything pending now and then. The box keeps only its
// newest `limit` characters, so text older than that is dropped here rather
// than queued: a script printing without pause holds at most about twice
// the limit in memory, however much it prints.
//
// Texts are stored with every line end ("\r\n" or a lone "\r") made "\n"
// and every byte that is not part of well-formed UTF-8 made U+FFFD, so
// pieces joined across appends read as they did alone, and dropping never
// cuts inside a character. Characters are counted as code points: the box
// counts UTF-16 units, never fewer, and trims the rest itself.

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

class COutputBuffer {
public:
    explicit COutputBuffer(size_t limitChars);

    // Any thread. Adds `text` after what is pending and remembers it as the
    // last output text. True when the reader should be woken: the first text
    // since the last Take (later ones join it, no further wake is needed).
    bool Append(std::string_view text);

    // Reader. Everything pending, oldest first, at most the newest `limit`
    // characters of it; the next Append wakes the reader again.
    std::string Take();

    // Reader. Forgets what is pending (the box was emptied for a new run);
    // the last output text stays.
    void Clear();

    // The text most recently given to Append, as given. Any thread.
    std::string LastText() const;

    // Code points pending now (tests; the bound holds at every call).
    size_t PendingChars() const;

private:
    const size_t limit;
    mutable std::mutex mutex; // guards the fields below
    std::string pending;
    size_t pendingChars = 0;
    bool wakeSent = false;
    std::string last;
};

// `text` with its line ends made "\n" and ill-formed UTF-8 bytes made U+FFFD.
std::string NormalizedOutput(std::string_view text);

// Code points in well-formed UTF-8 text.
size_t CountCodePoints(std::string_view text);

// The byte offset where the last `keep` code points of well-formed UTF-8
// `text` (holding `chars` of them) begin; 0 when it holds no more.
size_t TailOffset(std::string_view text, size_t chars, size_t keep);
