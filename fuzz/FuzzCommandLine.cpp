// Splitting a program macro's argument text: never crashes, and words quoted
// back in single quotes split into the same words again.
#include "run/CommandLine.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
std::string Quote(const std::string& word) {
    std::string out = "'";
    for (char c : word)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> words;
    std::string error;
    if (!SplitCommandLine(text, &words, &error)) {
        if (error.empty())
            std::abort();
        return 0;
    }
    std::string joined;
    for (const std::string& word : words)
        joined += Quote(word) + " ";
    std::vector<std::string> again;
    if (!SplitCommandLine(joined, &again, &error) || again != words)
        std::abort();
    return 0;
}
