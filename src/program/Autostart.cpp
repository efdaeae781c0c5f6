#include "program/Autostart.h"

#include "library/AtomicFile.h"
#include "library/HomeFolder.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {
// Exec= quoting: the path in double quotes; ", ` and $ get a backslash, a
// backslash becomes four (the value's own escapes apply first), and % is
// doubled (a field code otherwise).
std::string QuoteExec(const std::string& path) {
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '\\')
            quoted += "\\\\\\\\";
        else if (c == '"' || c == '`' || c == '$')
            quoted += std::string("\\\\") + c;
        else if (c == '%')
            quoted += "%%";
        else
            quoted += c;
    }
    return quoted + "\"";
}
} // namespace

std::string AutostartFilePath() {
    return ConfigFolder() + "/autostart/wingmate.desktop";
}

bool AutostartEnabled(const std::string& path) {
    std::ifstream in(path);
    if (!in)
        return false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        // Either key switches the entry off (GNOME's settings write the second).
        if (line == "Hidden=true" || line == "X-GNOME-Autostart-enabled=false")
            return false;
    }
    return true;
}

std::string AutostartEntry(const std::string& executable) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Wingmate\n"
           "Comment=Macro manager\n"
           "Exec=" +
           QuoteExec(executable) +
           "\n"
           "Icon=wingmate\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool SetAutostart(const std::string& path, bool enabled, const std::string& executable,
                  std::string* error) {
    namespace fs = std::filesystem;
    std::error_code code;
    if (!enabled) {
        // Removing a link removes the link, never what it points to.
        if (fs::remove(path, code) || !code)
            return true;
        if (error)
            *error = "Could not remove " + path + ": " + code.message();
        return false;
    }
    fs::create_directories(fs::path(path).parent_path(), code);
    if (code) {
        if (error)
            *error =
                "Could not create " + fs::path(path).parent_path().string() + ": " + code.message();
        return false;
    }
    return WriteFileAtomically(path, AutostartEntry(executable), error);
}
