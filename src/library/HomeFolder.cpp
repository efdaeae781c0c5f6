#include "library/HomeFolder.h"

#include "library/SafePath.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

std::optional<std::string> NonEmptyEnv(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value)
        return std::nullopt;
    return std::string(value);
}

namespace {
std::string UserHome(const std::optional<std::string>& home) {
    return home ? *home : ".";
}
} // namespace

std::string ResolveHomeFolder(const HomeFolderInputs& inputs) {
    if (inputs.wingmateHome && !inputs.wingmateHome->empty())
        return *inputs.wingmateHome;
    if (!inputs.executableFolder.empty() && inputs.executableFolderWritable && !inputs.installed)
        return inputs.executableFolder;
    if (inputs.xdgDataHome && !inputs.xdgDataHome->empty() && inputs.xdgDataHome->front() == '/')
        return *inputs.xdgDataHome + "/Wingmate";
    return UserHome(inputs.userHome) + "/.local/share/Wingmate";
}

std::string ExecutableFolder() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : executable.parent_path().string();
}

std::string InstalledDataFolder(const std::string& executableFolder) {
    if (executableFolder.empty())
        return "";
    const std::filesystem::path folder(executableFolder);
    if (folder.filename() != "bin")
        return "";
    const std::filesystem::path data = folder.parent_path() / "share" / "wingmate";
    std::error_code error;
    return std::filesystem::is_directory(data, error) ? data.string() : "";
}

std::string FindShippedFile(const std::string& home, const std::string& executableFolder,
                            const std::string& relative) {
    const std::string own = home + "/" + relative;
    std::error_code error;
    if (std::filesystem::exists(own, error))
        return own;
    const std::string installed = InstalledDataFolder(executableFolder);
    if (!installed.empty() && std::filesystem::exists(installed + "/" + relative, error))
        return installed + "/" + relative;
    return own;
}

std::string WingmateHomeFolder() {
    HomeFolderInputs inputs;
    inputs.wingmateHome = NonEmptyEnv("WINGMATE_HOME");
    inputs.executableFolder = ExecutableFolder();
    if (!inputs.executableFolder.empty()) {
        inputs.executableFolderWritable = ::access(inputs.executableFolder.c_str(), W_OK) == 0;
        inputs.installed = !InstalledDataFolder(inputs.executableFolder).empty();
    }
    inputs.xdgDataHome = XdgBaseEnv("XDG_DATA_HOME");
    inputs.userHome = NonEmptyEnv("HOME");
    return ResolveHomeFolder(inputs);
}

bool EnsureHomeLayout(const std::string& home) {
    CreateFoldersPrivately(home + "/Scripts");
    std::error_code error;
    return std::filesystem::is_directory(home, error);
}

// The folders above may be sticky (/tmp), the home itself may not: in a
// sticky folder others can still plant a library, a list or a script.
bool CheckHomeFolder(const std::string& home, std::string& why) {
    if (!CheckTrustedPath(home, true, why))
        return false;
    struct stat info {};
    if (::stat(home.c_str(), &info) != 0) {
        why = "cannot examine " + home + ": " + std::strerror(errno);
        return false;
    }
    why = UntrustedReason(home, info.st_uid, info.st_gid, info.st_mode, false);
    return why.empty();
}

std::optional<std::string> XdgBaseEnv(const char* name) {
    std::optional<std::string> value = NonEmptyEnv(name);
    if (value && value->front() != '/')
        return std::nullopt;
    return value;
}

std::string ConfigFolder() {
    const std::optional<std::string> config = XdgBaseEnv("XDG_CONFIG_HOME");
    return config ? *config : UserHome(NonEmptyEnv("HOME")) + "/.config";
}

std::string SettingsFilePath() {
    return ConfigFolder() + "/Tessera/Wingmate.conf";
}
