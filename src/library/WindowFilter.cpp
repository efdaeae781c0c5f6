#define PCRE2_CODE_UNIT_WIDTH 8
#include "library/WindowFilter.h"

#include <pcre2.h>

#include <cctype>
#include <memory>
#include <unordered_map>

namespace {

constexpr std::string_view kRegexPrefix = "re:";
// Bounds on one match, so a pattern that backtracks without end gives up
// instead of holding the key hook.
constexpr uint32_t kMatchLimit = 1'000'000;

struct Compiled {
    std::shared_ptr<pcre2_code> code;
    std::string error;
};

// Compiled once per pattern: the hook asks on every key.
const Compiled& Compile(const std::string& pattern) {
    thread_local std::unordered_map<std::string, Compiled> cache;
    if (auto it = cache.find(pattern); it != cache.end())
        return it->second;
    if (cache.size() > 4096)
        cache.clear();
    Compiled made;
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                     PCRE2_UTF | PCRE2_UCP, &error, &offset, nullptr);
    if (code) {
        made.code.reset(code, pcre2_code_free);
    } else {
        PCRE2_UCHAR buffer[256];
        if (pcre2_get_error_message(error, buffer, sizeof buffer) < 0)
            buffer[0] = 0;
        made.error = "The regular expression \"" + pattern + "\" is not valid at character " +
                     std::to_string(offset + 1) + ": " + reinterpret_cast<const char*>(buffer) +
                     ".";
    }
    return cache.emplace(pattern, std::move(made)).first->second;
}

bool IsRegex(const std::string& pattern) {
    return pattern.compare(0, kRegexPrefix.size(), kRegexPrefix) == 0;
}

bool RegexFinds(const pcre2_code* code, std::string_view text) {
    thread_local std::unique_ptr<pcre2_match_context, void (*)(pcre2_match_context*)> limits(
        [] {
            pcre2_match_context* context = pcre2_match_context_create(nullptr);
            if (context)
                pcre2_set_match_limit(context, kMatchLimit);
            return context;
        }(),
        pcre2_match_context_free);
    // One pair of offsets is all a yes or no needs.
    thread_local std::unique_ptr<pcre2_match_data, void (*)(pcre2_match_data*)> data(
        pcre2_match_data_create(1, nullptr), pcre2_match_data_free);
    if (!data)
        return false;
    // Text that is not UTF-8 (a title in another encoding) simply does not
    // match: PCRE2 reports it as an error, never reads past it.
    return pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), 0, 0,
                       data.get(), limits.get()) >= 0;
}

} // namespace

bool WildcardMatches(std::string_view pattern, std::string_view text) {
    auto same = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    };
    size_t p = 0, t = 0;
    size_t starAt = std::string_view::npos, resumeAt = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            resumeAt = t;
        } else if (p < pattern.size() && same(pattern[p], text[t])) {
            ++p;
            ++t;
        } else if (starAt != std::string_view::npos) {
            p = starAt + 1;
            t = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::string WindowFilterError(const WindowFilter& filter) {
    if (!IsRegex(filter.pattern))
        return {};
    return Compile(filter.pattern.substr(kRegexPrefix.size())).error;
}

bool WindowFilterAllows(const WindowFilter& filter, const ActiveWindow* window) {
    if (filter.Empty())
        return true;
    bool matches = false;
    auto test = [&](const std::string& text) {
        if (!IsRegex(filter.pattern))
            return WildcardMatches(filter.pattern, text);
        return RegexFinds(Compile(filter.pattern.substr(kRegexPrefix.size())).code.get(), text);
    };
    if (IsRegex(filter.pattern) &&
        !Compile(filter.pattern.substr(kRegexPrefix.size())).error.empty())
        return false;
    if (window) {
        if (filter.matchTitle)
            matches = test(window->title);
        else
            matches = (!window->instanceName.empty() && test(window->instanceName)) ||
                      (!window->className.empty() && test(window->className));
    }
    return matches != filter.exclude;
}

bool TitleListed(const std::vector<std::string>& patterns, const ActiveWindow* window) {
    if (!window)
        return false;
    for (const std::string& pattern : patterns) {
        const WindowFilter filter{pattern, true, false};
        if (!filter.Empty() && WindowFilterError(filter).empty() &&
            WindowFilterAllows(filter, window))
            return true;
    }
    return false;
}
