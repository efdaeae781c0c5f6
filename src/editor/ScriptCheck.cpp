#include "editor/ScriptCheck.h"

#include "engine/Compiler.h"

#include <charconv>

namespace {
bool ParseNumber(std::string_view text, int& value) {
    if (text.empty())
        return false;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}
} // namespace

// FILE ":" LINE ":" COLUMN ": error: " TEXT  (FILE may itself hold ":"), or
// a run's FILE ":" LINE ": runtime error: " TEXT, which names no column.
ScriptDiagnostic ParseDiagnostic(const std::string& text) {
    ScriptDiagnostic diagnostic;
    diagnostic.failed = true;
    diagnostic.full = text;
    diagnostic.message = text;
    static constexpr std::string_view kCompileMarker = ": error: ";
    static constexpr std::string_view kRunMarker = ": runtime error: ";
    const size_t compile = text.find(kCompileMarker);
    const size_t run = text.find(kRunMarker);
    const bool atRun = run != std::string::npos && (compile == std::string::npos || run < compile);
    const size_t marker = atRun ? run : compile;
    if (marker == std::string::npos)
        return diagnostic;
    const std::string_view place(text.data(), marker);
    const size_t lastColon = place.rfind(':');
    if (lastColon == std::string_view::npos)
        return diagnostic;
    int line = 0, column = 0;
    size_t fileEnd = lastColon;
    if (atRun) {
        if (!ParseNumber(place.substr(lastColon + 1), line))
            return diagnostic;
    } else {
        const size_t lineColon = place.rfind(':', lastColon == 0 ? 0 : lastColon - 1);
        if (lineColon == std::string_view::npos || lineColon >= lastColon)
            return diagnostic;
        if (!ParseNumber(place.substr(lineColon + 1, lastColon - lineColon - 1), line) ||
            !ParseNumber(place.substr(lastColon + 1), column))
            return diagnostic;
        fileEnd = lineColon;
    }
    diagnostic.file = std::string(place.substr(0, fileEnd));
    diagnostic.line = line;
    diagnostic.column = column;
    diagnostic.message = text.substr(marker + (atRun ? kRunMarker : kCompileMarker).size());
    return diagnostic;
}

ScriptDiagnostic CheckScript(const std::string& path, std::string_view source) {
    std::string error;
    if (tessera::CompileSource(path, source, error))
        return {};
    return ParseDiagnostic(error.empty() ? std::string("the script does not compile") : error);
}
