#pragma once
// Parser: tokens to a syntax tree. Throws CompileError at the first error.

#include "engine/Ast.h"

#include <string_view>
#include <vector>

namespace tessera {

// Deepest nesting of expressions or statements the parser accepts; deeper
// input is a compile error rather than a stack overflow.
constexpr int kMaxNesting = 200;

// Parses a whole script: its top-level statements in order.
std::vector<StmtPtr> ParseScript(std::string_view source);

// Parses a comma-separated list of literals (the argument text of a macro);
// throws CompileError when an element is not a literal.
std::vector<ExprPtr> ParseLiteralList(std::string_view text);

} // namespace tessera
