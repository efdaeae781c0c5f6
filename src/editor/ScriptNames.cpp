#include "editor/ScriptNames.h"

#include "engine/Lexer.h"

#include <algorithm>

namespace {
using tessera::Tok;

bool IsType(Tok kind) {
    return kind == Tok::KwInt || kind == Tok::KwFloat || kind == Tok::KwString ||
           kind == Tok::KwBool || kind == Tok::KwList || kind == Tok::KwVar;
}

void SortUnique(std::vector<std::string>& names) {
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
}
} // namespace

// "function TYPE NAME", "define NAME" and "TYPE NAME" (declarations,
// parameters, for-loop variables): the word after the pattern is the name.
ScriptNames FindScriptNames(std::string_view source) {
    ScriptNames names;
    tessera::TokenStream tokens(source);
    Tok before2 = Tok::End, before1 = Tok::End;
    tessera::Token token;
    try {
        for (tokens.NextInto(token); token.kind != Tok::End; tokens.NextInto(token)) {
            if (token.kind == Tok::Ident) {
                if (before2 == Tok::KwFunction && (IsType(before1) || before1 == Tok::KwVoid))
                    names.functions.push_back(token.text);
                else if (before1 == Tok::KwDefine)
                    names.defines.push_back(token.text);
                else if (IsType(before1))
                    names.variables.push_back(token.text);
            }
            before2 = before1;
            before1 = token.kind;
        }
    } catch (const tessera::CompileError&) {
        // Keep what was found before the unreadable text.
    }
    SortUnique(names.functions);
    SortUnique(names.variables);
    SortUnique(names.defines);
    return names;
}
