#include "program/IniSettingsStore.h"

#include "library/AtomicFile.h"

#include <filesystem>
#include <sstream>
#include <vector>

namespace {
constexpr const char* kSection = "[Wingmate]";

// "Name=Value" with the name trimmed; false for blank lines, comments and
// section headers.
bool SplitLine(const std::string& line, std::string& name, std::string& value) {
    if (line.empty() || line[0] == '#' || line[0] == ';' || line[0] == '[')
        return false;
    const size_t equals = line.find('=');
    if (equals == std::string::npos)
        return false;
    name = line.substr(0, equals);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
        name.pop_back();
    value = line.substr(equals + 1);
    if (!value.empty() && value.back() == '\r')
        value.pop_back();
    return !name.empty();
}

// Lines split at '\n' as getline would: a last line without a line break
// counts, nothing after a final line break does.
std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> ReadLines(const std::string& path, bool& ok, std::string& error) {
    std::string text;
    ok = ReadRegularFile(path, text, &error);
    return ok ? SplitLines(text) : std::vector<std::string>{};
}
} // namespace

CIniSettingsStore::CIniSettingsStore(std::string filePath) : path(std::move(filePath)) {}

std::string CIniSettingsStore::Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

std::string CIniSettingsStore::Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char code = text[++i];
        out += code == 'n' ? '\n' : code == 'r' ? '\r' : code;
    }
    return out;
}

bool CIniSettingsStore::Exists() const {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

void CIniSettingsStore::Parse(std::string_view text, SettingsMap& values) {
    for (const std::string& line : SplitLines(text)) {
        std::string name, value;
        if (SplitLine(line, name, value))
            values[name] = Unescape(value);
    }
}

bool CIniSettingsStore::Read(SettingsMap& values) {
    if (!Exists())
        return false;
    std::string text;
    if (!ReadRegularFile(path, text, &lastError))
        return false;
    Parse(text, values);
    return true;
}

// Through a temporary and a rename: the file keeps its mode and link, and a
// failed write leaves the old settings whole.
bool CIniSettingsStore::WriteLines(const std::string& content) {
    return WriteFileAtomically(path, content, &lastError);
}

bool CIniSettingsStore::WriteExisting(const SettingsList& values) {
    if (!Exists())
        return false;
    bool ok = false;
    std::vector<std::string> lines = ReadLines(path, ok, lastError);
    if (!ok)
        return false;
    std::vector<bool> written(values.size(), false);
    for (std::string& line : lines) {
        std::string name, value;
        if (!SplitLine(line, name, value))
            continue;
        for (size_t i = 0; i < values.size(); ++i) {
            if (values[i].first == name) {
                line = name + "=" + Escape(values[i].second);
                written[i] = true;
            }
        }
    }
    bool hasSection = false;
    for (const std::string& line : lines)
        hasSection = hasSection || line == kSection;
    if (!hasSection)
        lines.insert(lines.begin(), kSection);
    for (size_t i = 0; i < values.size(); ++i) {
        if (!written[i])
            lines.push_back(values[i].first + "=" + Escape(values[i].second));
    }
    std::ostringstream content;
    for (const std::string& line : lines)
        content << line << '\n';
    return WriteLines(content.str());
}

bool CIniSettingsStore::Create(const SettingsList& values) {
    std::error_code error;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty())
        std::filesystem::create_directories(parent, error);
    std::ostringstream content;
    content << kSection << '\n';
    for (const auto& [name, value] : values)
        content << name << '=' << Escape(value) << '\n';
    return WriteLines(content.str());
}
