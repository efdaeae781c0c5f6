#pragma once
// Record Declarations: starts the window-declaration recorder "Glimmer" from
// the home folder (else the one installed beside the program), without
// arguments, not waited for.

#include "library/HomeFolder.h"
#include "ports/MessageBox.h"
#include "ports/ProcessLauncher.h"

#include <string>

// The home folder's Glimmer when it exists, else the one in `programFolder`
// (the running executable's folder) when that exists, else the home path.
std::string DeclarationsRecorderPath(const std::string& home,
                                     const std::string& programFolder = ExecutableFolder());

// true when it started; otherwise says why ("Could Not Find File: ..." when
// it does not exist, else "Unknown Error.  Could not execute ...").
bool StartDeclarationsRecorder(const std::string& home, IProcessLauncher& launcher,
                               IMessageBox& messages,
                               const std::string& programFolder = ExecutableFolder());
