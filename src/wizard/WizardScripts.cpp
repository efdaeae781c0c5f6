#include "wizard/WizardScripts.h"

#include "ports/UiText.h"

#include <cstring>

namespace wizard {

namespace {
constexpr char kFileNameReplaced[] = "!@$%^&*()-+={}[]:;'|\\<>,./?~\"` ";

std::string DoubleBackslashes(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out += c;
        if (c == '\\')
            out += '\\';
    }
    return out;
}

// A quote in entered text would end the script string early.
std::string EscapeQuotes(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '"')
            out += '\\';
        out += c;
    }
    return out;
}

bool EndsWithSlash(const std::string& text) {
    return !text.empty() && text.back() == '/';
}

// Drops one trailing "/", except from the root itself, which would become
// an empty path.
std::string WithoutTrailingSlash(const std::string& path) {
    if (EndsWithSlash(path) && path.size() > 1)
        return path.substr(0, path.size() - 1);
    return path;
}

bool IsShellLiteral(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::strchr("/._-+,:@%=", c) != nullptr;
}
} // namespace

std::string TrimName(const std::string& name) {
    const char* blanks = " \t\r\n\v\f";
    const size_t first = name.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    return name.substr(first, name.find_last_not_of(blanks) - first + 1);
}

std::string ScriptFileStem(const std::string& name) {
    std::string stem = name;
    for (char& c : stem)
        if (c != '\0' && std::strchr(kFileNameReplaced, c))
            c = '_';
    return stem;
}

std::string ScriptFilePath(const std::string& home, const std::string& name) {
    return home + "/Scripts/" + ScriptFileStem(name) + ".tsc";
}

std::string EscapeForLiteral(const std::string& text) {
    std::string out;
    for (char c : EscapeQuotes(DoubleBackslashes(text))) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

std::string QuoteForShell(const std::string& word) {
    bool literal = !word.empty();
    for (size_t i = 0; i < word.size() && literal; ++i)
        literal = IsShellLiteral(word[i]) || (i == 0 && word[i] == '~');
    const bool quoted = word.size() >= 2 && (word.front() == '\'' || word.front() == '"') &&
                        word.back() == word.front();
    if (literal || quoted)
        return word;
    std::string out = "'";
    for (char c : word) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

bool AppendOpenApplication(std::string& script, const std::string& executable,
                           const std::string& parameters, std::string& refusal) {
    if (executable.empty()) {
        refusal = UiText(UI_TEXT("Wingmate", "Must enter an application name"));
        return false;
    }
    std::string command = QuoteForShell(executable);
    if (!parameters.empty())
        command += " " + parameters;
    // Run starts the program detached: the macro ends at once instead of
    // holding every other macro back while the program is open.
    script += "string sExec = \"" + EscapeForLiteral(command) + "\";\n";
    script += "Run(sExec);\n";
    return true;
}

void AppendAlert(std::string& script, const std::string& text) {
    std::string body;
    for (char c : EscapeQuotes(DoubleBackslashes(text))) {
        if (c == '\n')
            body += "\\n";
        else if (c == '\t')
            body += "\\t";
        else if (c != '\r')
            body += c;
    }
    script += "string sAlert = \"" + body + "\";\n";
    script += "Alert(sAlert);\n";
}

bool AppendTypeKeys(std::string& script, const std::string& keys, TypeKeysFrom from,
                    std::string& refusal) {
    if (keys.empty()) {
        refusal = UiText(UI_TEXT("Wingmate", "Must enter TypeKeyse text in selected box"));
        return false;
    }
    std::string body;
    for (char c : EscapeQuotes(DoubleBackslashes(keys))) {
        if (c == '\n')
            body += "<ENTER>";
        else if (c == '<' && from == TypeKeysFrom::Text)
            body += "<<>";
        else if (c == '\t')
            body += "\\t";
        else if (c != '\r')
            body += c;
    }
    script += "string sText = \"" + body + "\";\n";
    script += "TypeKeys(sText);\n";
    return true;
}

bool AppendCopy(std::string& script, const std::vector<std::string>& entries,
                const std::string& destination, std::string& refusal) {
    if (destination.empty()) {
        refusal = UiText(UI_TEXT("Wingmate", "Must enter an a destination location"));
        return false;
    }
    std::string lines;
    for (const std::string& entry : entries) {
        std::string line;
        if (EndsWithSlash(entry)) {
            line = "CopyDir(\"" + EscapeForLiteral(WithoutTrailingSlash(entry)) + "\",\"" +
                   EscapeForLiteral(WithoutTrailingSlash(destination)) + "\");";
        } else {
            std::string target = destination;
            if (EndsWithSlash(target)) {
                const size_t slash = entry.rfind('/');
                target += slash == std::string::npos ? entry : entry.substr(slash + 1);
            }
            line = "CopyFile(\"" + EscapeForLiteral(entry) + "\",\"" + EscapeForLiteral(target) +
                   "\");";
        }
        lines += line + "\n\r";
    }
    script += lines;
    return true;
}

} // namespace wizard
