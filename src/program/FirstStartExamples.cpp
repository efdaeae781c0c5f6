#include "program/FirstStartExamples.h"

#include "program/ExampleScripts.h"

#include "library/AtomicFile.h"

#include <filesystem>

const std::vector<ExampleMacro>& ExampleMacros() {
    static const std::vector<ExampleMacro> examples = {
        {"Hello, Output page", "Writes a few lines to the Output page.", "Hello.tsc",
         R"(# Hello, Output page
# Print writes its text and a line break to the Output page (and to
# Hello.log beside this script). Run this macro, then look at the Output tab.

Print("Hello from Wingmate!");

# Print takes any number of values and writes them one after the other.
Print("Two and three make ", 2 + 3, ".");

# FormatTime turns Now() (seconds since 1970) into a date you can read.
Print("It is now ", FormatTime(Now(), "%H:%M on %A, %d %B %Y"), ".");
)"},
        {"Ask and alert", "Asks for your name, then answers in a message box.", "AskAndAlert.tsc",
         R"(# Ask and alert
# Input opens a box that asks for one line of text and returns what was
# typed ("" when the box is closed without OK).

string name = Input("What is your name?");

# Trim takes the blanks off both ends; an empty answer gets a default.
name = Trim(name);
if (name == "")
    name = "stranger";

# Alert shows a message box and waits until OK is pressed.
Alert("Pleased to meet you, " + name + "!");
)"},
        {"Open my files", "Opens your home folder in the file manager.", "OpenMyFiles.tsc",
         R"(# Open my files
# Run starts a program and does not wait for it. xdg-open hands a folder
# to your desktop's file manager (a file to the program made for it).

string folder = GetEnv("HOME");
Print("Opening ", folder);

# The command is split into words like a shell would, so a folder with
# blanks in its name must stay one word: put it in quotes.
Run("xdg-open \"" + folder + "\"");

# To open a terminal instead, try:
# Run("x-terminal-emulator");
)"},
        {"Type a line", "After three seconds, types a line into the window that has the focus.",
         "TypeALine.tsc",
         R"(# Type a line
# TypeKeys types into whatever window has the keyboard focus, as if you
# typed yourself. Start this macro, then click into a text editor: you
# have three seconds.

Print("Click into a text window now...");
Sleep(3000); # milliseconds

# Characters are typed as they stand; <ENTER> and the other <NAME> tokens
# press named keys.
TypeKeys("Typed by Wingmate.<ENTER>");
Print("Done.");
)"},
        {"Clean up the selection",
         "Tidies the text selected in any program: give it a hotkey, select text, press the "
         "hotkey.",
         "CleanSelection.tsc", kCleanSelectionScript},
    };
    return examples;
}

bool AddExamples(CMacroLibrary& library, const std::string& home, std::string* error) {
    namespace fs = std::filesystem;
    const CMacroNode* root = library.Root();
    if (!root) {
        if (error)
            *error = "the library has no root";
        return false;
    }
    const fs::path folder = fs::path(home) / kExampleScriptsFolder;
    std::error_code code;
    fs::create_directories(folder, code);
    for (const ExampleMacro& example : ExampleMacros()) {
        const fs::path script = folder / example.scriptName;
        if (fs::exists(script, code))
            continue;
        if (!WriteFileAtomically(script.string(), example.scriptText, error))
            return false;
    }

    CMacro set;
    set.kind = static_cast<int32_t>(MacroKind::MacroSet);
    set.name = "Examples";
    set.description = "Small macros to try: select one and press F5.";
    const int32_t setId = library.InsertRecord(set, root->id, InsertPosition::Into);
    int32_t previous = 0;
    for (const ExampleMacro& example : ExampleMacros()) {
        CMacro macro;
        macro.name = example.name;
        macro.description = example.description;
        macro.runAsScript = 1;
        macro.scriptFile = std::string(kExampleScriptsFolder) + "/" + example.scriptName;
        previous = previous == 0 ? library.InsertRecord(macro, setId, InsertPosition::Into)
                                 : library.InsertRecord(macro, previous, InsertPosition::After);
    }
    return true;
}
