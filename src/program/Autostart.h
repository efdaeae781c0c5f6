#pragma once
// "Start Wingmate when I log in": a freedesktop autostart entry,
// $XDG_CONFIG_HOME/autostart/wingmate.desktop, present while the option is on.

#include <string>

// $XDG_CONFIG_HOME/autostart/wingmate.desktop (default ~/.config/...).
std::string AutostartFilePath();

// On when the entry exists and does not switch itself off (Hidden=true, or
// X-GNOME-Autostart-enabled=false, is how a desktop's own settings do).
bool AutostartEnabled(const std::string& path);

// The entry's text for a program at `executable`.
std::string AutostartEntry(const std::string& executable);

// Writes the entry (atomically, creating the folder) or removes it. false
// with `error` set when that failed; the old file is then unchanged.
bool SetAutostart(const std::string& path, bool enabled, const std::string& executable,
                  std::string* error);
