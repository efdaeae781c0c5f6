#pragma once
// Where Wingmate keeps its files (library, logs, scripts, plugins list) and
// its settings. Resolved in one place.

#include <optional>
#include <string>

struct HomeFolderInputs {
    std::optional<std::string> wingmateHome; // $WINGMATE_HOME
    std::string executableFolder;            // folder of the running program
    bool executableFolderWritable = false;
    std::optional<std::string> xdgDataHome; // $XDG_DATA_HOME
    std::optional<std::string> userHome;    // $HOME
    bool installed = false;                 // the executable sits in an installed prefix
};

// $WINGMATE_HOME when set and not empty; else the executable's folder when
// writable and not an installed prefix; else $XDG_DATA_HOME/Wingmate, or
// ~/.local/share/Wingmate.
std::string ResolveHomeFolder(const HomeFolderInputs& inputs);

// The same, from this process's environment and executable.
std::string WingmateHomeFolder();

// The folder of the running executable; empty when unknown.
std::string ExecutableFolder();

// PREFIX/share/wingmate for an executable installed in PREFIX/bin (that
// folder exists only in an installed prefix); empty in a build tree.
std::string InstalledDataFolder(const std::string& executableFolder);

// Where a file the program ships is read from: `home`/`relative` when it
// exists, else the installed copy, else the home path (for the message that
// it is missing).
std::string FindShippedFile(const std::string& home, const std::string& executableFolder,
                            const std::string& relative);

// Creates the home folder and its Scripts/ folder (and missing parents) with
// mode 0700 when missing. false when the folder could not be made.
bool EnsureHomeLayout(const std::string& home);

// false with `why` when someone else could change what the home folder holds:
// the folder, or one above it, is writable by others or owned by another
// user (root excepted). A world-writable folder with the sticky bit (/tmp)
// above it is fine: others cannot rename what lies in it; the home folder
// itself is never open to others, sticky or not.
bool CheckHomeFolder(const std::string& home, std::string& why);

// The environment variable's value; nullopt when unset or empty.
std::optional<std::string> NonEmptyEnv(const char* name);

// $XDG_CONFIG_HOME (`name` "XDG_CONFIG_HOME") or $XDG_DATA_HOME when set to an
// absolute path; a relative one is invalid and ignored, as the base-directory
// rules say, so nothing lands relative to whatever folder is current.
std::optional<std::string> XdgBaseEnv(const char* name);

// The settings and autostart folder: $XDG_CONFIG_HOME (default ~/.config).
std::string ConfigFolder();

// $XDG_CONFIG_HOME/Tessera/Wingmate.conf (default ~/.config/...).
std::string SettingsFilePath();
