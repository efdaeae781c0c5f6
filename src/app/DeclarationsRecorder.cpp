#include "app/DeclarationsRecorder.h"

#include "app/HomeFolder.h"

#include <cerrno>
#include <filesystem>

// The home folder's Glimmer first, then the one installed beside the program.
std::string DeclarationsRecorderPath(const std::string& home) {
    const std::string own = home + "/Glimmer";
    const std::string folder = ExecutableFolder();
    std::error_code error;
    if (std::filesystem::exists(own, error) || folder.empty() ||
        !std::filesystem::exists(folder + "/Glimmer", error))
        return own;
    return folder + "/Glimmer";
}

bool StartDeclarationsRecorder(const std::string& home, IProcessLauncher& launcher,
                               IMessageBox& messages) {
    const std::string path = DeclarationsRecorderPath(home);
    const LaunchResult result = launcher.Launch(path, {});
    if (result.ok)
        return true;
    const std::string text = result.error == ENOENT
                                 ? "Could Not Find File: " + path +
                                       "\nPlace this file in the application's residence directory"
                                 : "Unknown Error.  Could not execute " + path;
    messages.Show(text, "Wingmate Error", MessageButtons::Ok);
    return false;
}
