#pragma once
// Whether a macro's window filter lets its trigger apply in a window.

#include "library/MacroExtras.h"

#include <string>
#include <string_view>
#include <vector>

// The window that has the keyboard focus, as the desktop names it.
struct ActiveWindow {
    std::string title;
    std::string instanceName; // WM_CLASS's first part ("xterm")
    std::string className;    // its second part ("XTerm"), or the application id
    bool operator==(const ActiveWindow&) const = default;
};

// Why the filter's pattern cannot be used (a regular expression that does
// not compile, with where and why); empty when it can.
std::string WindowFilterError(const WindowFilter& filter);

// True when a trigger with this filter applies in `window`. An empty filter
// applies everywhere. Null `window` (none known) counts as a window that
// matches no pattern. A pattern that cannot be used applies nowhere,
// whether it includes or excludes, so a broken filter never fires a macro
// in a window it was meant to spare.
bool WindowFilterAllows(const WindowFilter& filter, const ActiveWindow* window);

// Whether the window's title matches one of `patterns` (as in a title
// filter: wildcards, or "re:" expressions; a broken one matches nothing):
// the titles of password dialogs the user lists, where abbreviations never
// expand.
bool TitleListed(const std::vector<std::string>& patterns, const ActiveWindow* window);

// "*" matches any run of characters; the rest is compared ignoring ASCII
// case, over the whole text.
bool WildcardMatches(std::string_view pattern, std::string_view text);
