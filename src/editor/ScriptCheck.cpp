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

// FILE ":" LINE ":" COLUMN ": error: " TEXT  (FILE may itself hold ":")
ScriptDiagnostic ParseDiagnostic(const std::string& text) {
    ScriptDiagnostic diagnostic;
    diagnostic.failed = true;
    diagnostic.full = text;
    diagnostic.message = text;
    static constexpr std::string_view kMarker = ": error: ";
    const size_t marker = text.find(kMarker);
    if (marker == std::string::npos)
        return diagnostic;
    const std::string_view place(text.data(), marker);
    const size_t columnColon = place.rfind(':');
    if (columnColon == std::string_view::npos)
        return diagnostic;
    const size_t lineColon = place.rfind(':', columnColon == 0 ? 0 : columnColon - 1);
    if (lineColon == std::string_view::npos || lineColon >= columnColon)
        return diagnostic;
    int line = 0, column = 0;
    if (!ParseNumber(place.substr(lineColon + 1, columnColon - lineColon - 1), line) ||
        !ParseNumber(place.substr(columnColon + 1), column))
        return diagnostic;
    diagnostic.file = std::string(place.substr(0, lineColon));
    diagnostic.line = line;
    diagnostic.column = column;
    diagnostic.message = text.substr(marker + kMarker.size());
    return diagnostic;
}

ScriptDiagnostic CheckScript(const std::string& path, std::string_view source) {
    std::string error;
    if (tessera::CompileSource(path, source, error))
        return {};
    return ParseDiagnostic(error.empty() ? std::string("the script does not compile") : error);
}
