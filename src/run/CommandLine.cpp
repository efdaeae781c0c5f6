#include "run/CommandLine.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

} // namespace

bool SplitCommandLine(const std::string& text, std::vector<std::string>* words,
                      std::string* error) {
    std::vector<std::string> out;
    std::string word;
    bool inWord = false; // a word has started (it may be empty: "")
    size_t k = 0;
    auto fail = [&](const std::string& why) {
        if (error)
            *error = why;
        return false;
    };
    while (k < text.size()) {
        char c = text[k];
        if (IsBlank(c)) {
            if (inWord)
                out.push_back(std::move(word));
            word.clear();
            inWord = false;
            ++k;
        } else if (c == '\'') {
            size_t end = text.find('\'', k + 1);
            if (end == std::string::npos)
                return fail("unterminated ' quote at column " + std::to_string(k + 1));
            word.append(text, k + 1, end - k - 1);
            inWord = true;
            k = end + 1;
        } else if (c == '"') {
            size_t start = k++;
            for (;;) {
                if (k >= text.size())
                    return fail("unterminated \" quote at column " + std::to_string(start + 1));
                char d = text[k];
                if (d == '"') {
                    ++k;
                    break;
                }
                if (d == '\\' && k + 1 < text.size()) {
                    char e = text[k + 1];
                    if (e == '$' || e == '`' || e == '"' || e == '\\') {
                        word += e;
                        k += 2;
                        continue;
                    }
                    if (e == '\n') {
                        k += 2;
                        continue;
                    }
                }
                word += d;
                ++k;
            }
            inWord = true;
        } else if (c == '\\') {
            if (k + 1 >= text.size())
                return fail("trailing backslash");
            if (text[k + 1] != '\n') { // backslash-newline joins lines
                word += text[k + 1];
                inWord = true;
            }
            k += 2;
        } else {
            word += c;
            inWord = true;
            ++k;
        }
    }
    if (inWord)
        out.push_back(std::move(word));
    if (words)
        *words = std::move(out);
    return true;
}
