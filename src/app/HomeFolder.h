#pragma once
// Where Wingmate keeps its files (library, logs, scripts, plugins list) and
// its settings. Resolved in one place.

#include <optional>
#include <string>

struct HomeFolderInputs {
    std::optional<std::string> wingmateHome; // $WINGMATE_HOME
    std::string executableFolder;            // folder of the running program
    bool executableFolderWritable = false;
    std::optional<std::string> xdgDataHome;   // $XDG_DATA_HOME
    std::optional<std::string> userHome;      // $HOME
};

// $WINGMATE_HOME when set and not empty; else the executable's folder when
// writable; else $XDG_DATA_HOME/Wingmate, or ~/.local/share/Wingmate.
std::string ResolveHomeFolder(const HomeFolderInputs& inputs);

// The same, from this process's environment and executable.
std::string WingmateHomeFolder();

// Creates the home folder and its Scripts/ folder when missing. false when
// the folder could not be made.
bool EnsureHomeLayout(const std::string& home);

// $XDG_CONFIG_HOME/Tessera/Wingmate.conf (default ~/.config/...).
std::string SettingsFilePath();
