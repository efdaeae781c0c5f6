#include "editor/UseScanner.h"

#include "engine/Lexer.h"

#include <algorithm>
#include <filesystem>

namespace {

// Lines are looked at on their first 4096 bytes only, like the control's line
// buffer; longer lines cannot hold a use statement the editor would honour.
constexpr size_t kLineLimit = 4096;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// The statement part of a line: the text before its last ";" that is not in a
// string literal or a comment. false when the line has no such ";".
bool StatementBeforeLastSemicolon(std::string_view s, std::string_view& statement) {
    bool inComment = false;
    size_t semicolon = std::string_view::npos;
    for (const tessera::LexemeSpan& span : tessera::ScanLexemes(s, inComment))
        if (span.kind == tessera::Lexeme::Punct && s[span.begin] == ';')
            semicolon = span.begin;
    if (semicolon == std::string_view::npos)
        return false;
    statement = Trim(s.substr(0, semicolon));
    return true;
}

// Is `entry` + "::" one of the entries of a use list ("a.dec::b.dec::")?
bool ListHoldsEntry(const std::string& useList, std::string_view entry) {
    size_t start = 0;
    while (start < useList.size()) {
        size_t end = useList.find("::", start);
        if (end == std::string::npos)
            return false;
        if (std::string_view(useList).substr(start, end - start) == entry)
            return true;
        start = end + 2;
    }
    return false;
}

} // namespace

bool IsInsideString(std::string_view s, long p) {
    if (p <= 0)
        return false;
    bool inComment = false;
    for (const tessera::LexemeSpan& span : tessera::ScanLexemes(s, inComment)) {
        if (span.begin >= static_cast<size_t>(p))
            break;
        if (span.kind == tessera::Lexeme::String &&
            (static_cast<size_t>(p) < span.end || !span.finished))
            return true;
    }
    return false;
}

// use-statement = "use" " " quoted-name [blanks] ";" [anything-after-the-last-unquoted-";"]
bool CScriptUses::ScanLine(std::string_view line) {
    std::string_view statement;
    if (!StatementBeforeLastSemicolon(line.substr(0, std::min(line.size(), kLineLimit)), statement))
        return false;
    const size_t space = statement.find(' ');
    if (space == std::string_view::npos || statement.substr(0, space) != "use")
        return false;
    usesSeen = true;

    const std::string_view argument = Trim(statement.substr(space + 1));
    if (argument.size() < 2 || argument.front() != '"' || argument.back() != '"' ||
        !IsInsideString(argument, static_cast<long>(argument.size()) - 1))
        return true;
    const std::string_view name = argument.substr(1, argument.size() - 2);
    // Whole entries are compared: "b.dec" is its own file even when the list
    // already holds "ab.dec".
    if (!name.empty() && !ListHoldsEntry(useList, name)) {
        useList.append(name);
        useList.append("::");
    }
    return true;
}

std::string CScriptUses::TakeUseList() {
    usesSeen = false;
    return useList;
}

std::vector<std::string> UseListFiles(std::string_view useList) {
    std::vector<std::string> files;
    for (size_t end = useList.find("::"); end != std::string_view::npos; end = useList.find("::")) {
        files.emplace_back(useList.substr(0, end));
        useList.remove_prefix(end + 2);
    }
    return files;
}

std::string ScriptFolder(const std::string& scriptPath) {
    if (scriptPath.empty())
        return {};
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(scriptPath, ec);
    if (ec)
        absolute = scriptPath;
    return absolute.parent_path().string();
}
