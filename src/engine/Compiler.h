#pragma once
// Compiler: syntax tree to bytecode. Resolves includes, names, defines and
// function signatures, and inserts type conversions only where the static
// type of a value is not already the declared one.

#include "engine/Bytecode.h"

#include <memory>
#include <string>
#include <string_view>

namespace tessera {

// Compiles the script text `source` read from `path` (used for messages and
// to resolve includes). On failure returns null and sets `error` to
// "FILE:LINE:COLUMN: error: TEXT".
std::unique_ptr<Program> CompileSource(const std::string& path, std::string_view source,
                                       std::string& error);

// Reads and compiles the file at `path`.
std::unique_ptr<Program> CompileFile(const std::string& path, std::string& error);

} // namespace tessera
