#include "program/DeclarationsRecorder.h"

#include "library/HomeFolder.h"
#include "ports/UiText.h"

#include <cerrno>
#include <filesystem>

std::string DeclarationsRecorderPath(const std::string& home, const std::string& folder) {
    const std::string own = home + "/Glimmer";
    std::error_code error;
    if (std::filesystem::exists(own, error) || folder.empty() ||
        !std::filesystem::exists(folder + "/Glimmer", error))
        return own;
    return folder + "/Glimmer";
}

bool StartDeclarationsRecorder(const std::string& home, IProcessLauncher& launcher,
                               IMessageBox& messages, const std::string& programFolder) {
    const std::string path = DeclarationsRecorderPath(home, programFolder);
    const LaunchResult result = launcher.Launch(path, {});
    if (result.ok)
        return true;
    const std::string text =
        result.error == ENOENT
            ? UiFormat(UI_TEXT("Wingmate", "Could Not Find File: %1\nPlace this file in the "
                                           "application's residence directory"),
                       {path})
            : UiFormat(UI_TEXT("Wingmate", "Unknown Error.  Could not execute %1"), {path});
    messages.Show(text, UI_TEXT("Wingmate", "Wingmate Error"), MessageButtons::Ok);
    return false;
}
