#pragma once
// The program branch of the macro runner: a macro that does not run as a
// script starts its `executable` with its `scriptFile` text as the argument
// text (split into words like a shell would, without one), detached.

#include "library/Macro.h"
#include "ports/MessageBox.h"
#include "ports/ProcessLauncher.h"

#include <optional>
#include <string>
#include <vector>

constexpr const char* kCouldNotExecuteText = "Could not Execute";

// The argument words of a program macro; nullopt when its text cannot be
// split (an open quote).
std::optional<std::vector<std::string>> ProgramArguments(const CMacro& macro);

// Starts the program. 1 when it started; 0 after showing "Could not Execute"
// (titled "Wingmate Error") when it did not. The caller reports the end of
// the run either way.
int RunProgramMacro(const CMacro& macro, IProcessLauncher& launcher, IMessageBox& messages);
