#pragma once
// Compile-only check of a script: the engine compiles the text (includes
// resolved from the script's folder) and runs nothing. Used by the editor's
// live diagnostics and by `tessera --check`.

#include <string>
#include <string_view>

struct ScriptDiagnostic {
    bool failed = false;
    std::string file; // the file the error is in (an include may differ)
    int line = 0;     // 1-based; 0 when the message names no place
    int column = 0;   // 1-based; 0 when the message names no column
    std::string message;
    std::string full; // "FILE:LINE:COLUMN: error: TEXT" as the engine said it
};

ScriptDiagnostic CheckScript(const std::string& path, std::string_view source);

// Splits "FILE:LINE:COLUMN: error: TEXT" and a run's "FILE:LINE: runtime
// error: TEXT" (column 0); a message without a place keeps line 0 and the
// whole text as the message.
ScriptDiagnostic ParseDiagnostic(const std::string& text);
