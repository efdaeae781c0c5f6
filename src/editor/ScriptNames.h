#pragma once
// The names a script declares itself (its functions, variables and
// defines), found with the engine's own tokenizer so strings and comments
// never yield a name. Offered by the editor's completion.

#include <string>
#include <string_view>
#include <vector>

struct ScriptNames {
    std::vector<std::string> functions;
    std::vector<std::string> variables; // parameters too
    std::vector<std::string> defines;
};

// Each list sorted, without repeats. Text the tokenizer cannot read (an
// unfinished string while typing) ends the search; the names before it are
// kept.
ScriptNames FindScriptNames(std::string_view source);
