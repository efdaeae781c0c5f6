#pragma once
// Helpers of the runner's tests: a fresh home folder per test and small file
// helpers.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// A temporary home folder, removed with everything in it.
class CTempHome {
public:
    // A new folder in `base` (the system's temporary folder by default).
    explicit CTempHome(const std::string& base = std::filesystem::temp_directory_path().string()) {
        std::string pattern = base + "/wingmate-run-XXXXXX";
        path = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~CTempHome() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    CTempHome(const CTempHome&) = delete;
    CTempHome& operator=(const CTempHome&) = delete;

    std::string operator/(const std::string& name) const { return path + "/" + name; }
    std::string path;
};

inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

inline bool FileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}
