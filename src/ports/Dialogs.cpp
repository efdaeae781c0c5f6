#include "ports/Dialogs.h"

#include <fnmatch.h>

namespace {
void SplitWords(const std::string& text, std::vector<std::string>& words) {
    size_t k = 0;
    while (k < text.size()) {
        const size_t start = text.find_first_not_of(" \t;", k);
        if (start == std::string::npos)
            return;
        const size_t end = text.find_first_of(" \t;", start);
        words.push_back(text.substr(start, end == std::string::npos ? end : end - start));
        k = end == std::string::npos ? text.size() : end;
    }
}
} // namespace

std::vector<std::string> FileFilterPatterns(const std::string& filter) {
    std::vector<std::string> patterns;
    if (filter.find('(') == std::string::npos) {
        SplitWords(filter, patterns);
        return patterns;
    }
    for (size_t open = filter.find('('); open != std::string::npos;
         open = filter.find('(', open + 1)) {
        const size_t close = filter.find(')', open);
        if (close == std::string::npos)
            break;
        SplitWords(filter.substr(open + 1, close - open - 1), patterns);
        open = close;
    }
    return patterns;
}

bool MatchesFileFilter(const std::string& fileName, const std::string& filter) {
    const std::vector<std::string> patterns = FileFilterPatterns(filter);
    if (patterns.empty())
        return true;
    for (const std::string& pattern : patterns)
        if (fnmatch(pattern.c_str(), fileName.c_str(), FNM_PERIOD) == 0)
            return true;
    return false;
}
