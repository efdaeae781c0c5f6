#pragma once
// Parser: tokens to a syntax tree. Throws CompileError at the first error.

#include "engine/Ast.h"

#include <memory>
#include <string_view>
#include <vector>

namespace tessera {

// Deepest nesting of expressions or statements the parser accepts; deeper
// input is a compile error rather than a stack overflow.
constexpr int kMaxNesting = 200;

class Parser;

// Reads a script one top-level statement at a time, so that a compiler can
// drop each statement as soon as it is done with it. `source` must outlive
// the reader.
class StatementReader {
public:
    explicit StatementReader(std::string_view source);
    ~StatementReader();
    StatementReader(const StatementReader&) = delete;
    StatementReader& operator=(const StatementReader&) = delete;

    // The next top-level statement, or null at the end of the script; the
    // place of its first token in `line` and `column` when given. Throws
    // CompileError at the first error.
    StmtPtr Next(int* line = nullptr, int* column = nullptr);
    // The next top-level declaration (function, define, variable, include,
    // use), skipping other statements unparsed; sets `skippedDll` when a
    // skipped one loads or unloads a library. `line` and `column` get the
    // place of its first token.
    StmtPtr NextDeclaration(bool& skippedDll, int& line, int& column);

private:
    std::unique_ptr<Parser> parser;
};

// Parses a whole script: its top-level statements in order.
std::vector<StmtPtr> ParseScript(std::string_view source);

// Parses a comma-separated list of literals (the argument text of a macro);
// throws CompileError when an element is not a literal.
std::vector<ExprPtr> ParseLiteralList(std::string_view text);

} // namespace tessera
