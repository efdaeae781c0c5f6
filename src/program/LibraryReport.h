#pragma once
// Text renderings of the library for the terminal (wingmatectl list).

#include "engine/JsonString.h"
#include "library/Macro.h"

#include <ostream>
#include <string>

// An indented tree, one entry a line: name, kind, schedule, trigger.
void PrintLibraryTree(const CMacroNode* root, std::ostream& out);

// One JSON array of the entries in file order (tree pre-order).
void PrintLibraryJson(const CMacroNode* root, std::ostream& out);
