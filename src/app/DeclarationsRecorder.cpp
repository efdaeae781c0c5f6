#include "app/DeclarationsRecorder.h"

#include <cerrno>

std::string DeclarationsRecorderPath(const std::string& home) {
    return home + "/Glimmer";
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
