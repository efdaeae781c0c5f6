#include "run/ProgramMacro.h"

#include "run/CommandWords.h"

std::optional<std::vector<std::string>> ProgramArguments(const CMacro& macro) {
    return SplitCommandWords(macro.scriptFile);
}

int RunProgramMacro(const CMacro& macro, IProcessLauncher& launcher, IMessageBox& messages) {
    const auto arguments = ProgramArguments(macro);
    if (arguments && launcher.Launch(macro.executable, *arguments).ok)
        return 1;
    messages.Show(kCouldNotExecuteText, "Wingmate Error", MessageButtons::Ok);
    return 0;
}
