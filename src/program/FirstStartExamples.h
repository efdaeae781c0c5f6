#pragma once
// The first start's "Examples" set: five small commented macros a new user
// can run at once, with their scripts in Scripts/Examples/.

#include "library/MacroLibrary.h"

#include <string>
#include <vector>

struct ExampleMacro {
    const char* name;
    const char* description;
    const char* scriptName; // in Scripts/Examples/
    const char* scriptText;
};

const std::vector<ExampleMacro>& ExampleMacros();

// The scripts' folder, relative to the home folder.
constexpr const char* kExampleScriptsFolder = "Scripts/Examples";

// Writes the example scripts under `home` (an existing file of the same name
// is left as the user made it) and adds the set "Examples" with one macro
// per script as the first entry of the root. false with `error` set when a
// script could not be written; the library is then unchanged.
bool AddExamples(CMacroLibrary& library, const std::string& home, std::string* error);
