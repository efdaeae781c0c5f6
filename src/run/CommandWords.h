#pragma once
// Splits an argument text into words the way a POSIX shell would, without
// running one: blanks separate words; 'single quotes' keep everything
// literally; "double quotes" keep everything but let a backslash escape
// " \ $ and `; outside quotes a backslash keeps the next character. No
// expansion of any kind ($VAR, ~, *, ;, | are plain characters).

#include <optional>
#include <string>
#include <vector>

// nullopt when a quote is left open or the text ends in a lone backslash.
std::optional<std::vector<std::string>> SplitCommandWords(const std::string& text);
