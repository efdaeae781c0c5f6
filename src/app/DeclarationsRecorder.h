#pragma once
// Record Declarations: starts the window-declaration recorder "Glimmer" from
// the home folder, without arguments, not waited for.

#include "ports/MessageBox.h"
#include "ports/ProcessLauncher.h"

#include <string>

// The recorder's path in the home folder.
std::string DeclarationsRecorderPath(const std::string& home);

// true when it started; otherwise says why ("Could Not Find File: ..." when
// it does not exist, else "Unknown Error.  Could not execute ...").
bool StartDeclarationsRecorder(const std::string& home, IProcessLauncher& launcher,
                               IMessageBox& messages);
