#pragma once
// Text renderings of the library for the terminal (wingmatectl list).

#include "library/Macro.h"

#include <ostream>
#include <string>

// An indented tree, one entry a line: name, kind, schedule, trigger.
void PrintLibraryTree(const CMacroNode* root, std::ostream& out);

// One JSON array of the entries in file order (tree pre-order).
void PrintLibraryJson(const CMacroNode* root, std::ostream& out);

// A JSON string literal; bytes that are not valid UTF-8 become \u00XX.
std::string JsonString(const std::string& text);
