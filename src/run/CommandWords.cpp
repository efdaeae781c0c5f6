#include "run/CommandWords.h"

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
} // namespace

std::optional<std::vector<std::string>> SplitCommandWords(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false; // a word has begun (it may still be empty: "")
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (IsBlank(c)) {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '\\') {
            if (++i == text.size())
                return std::nullopt;
            word += text[i];
        } else if (c == '\'') {
            const size_t close = text.find('\'', i + 1);
            if (close == std::string::npos)
                return std::nullopt;
            word.append(text, i + 1, close - i - 1);
            i = close;
        } else if (c == '"') {
            for (++i;; ++i) {
                if (i >= text.size())
                    return std::nullopt;
                const char d = text[i];
                if (d == '"')
                    break;
                if (d == '\\' && i + 1 < text.size() &&
                    (text[i + 1] == '"' || text[i + 1] == '\\' || text[i + 1] == '$' ||
                     text[i + 1] == '`')) {
                    word += text[++i];
                } else {
                    word += d;
                }
            }
        } else {
            word += c;
        }
    }
    if (inWord)
        words.push_back(std::move(word));
    return words;
}
