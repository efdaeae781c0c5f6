#include "app/InterimMacroRunner.h"

#include "run/ProgramMacro.h"

namespace {
std::string ScriptPath(const std::string& scriptFile) {
    std::string path = scriptFile.substr(0, scriptFile.find("ARGS="));
    path.erase(path.find_last_not_of(" \t") + 1);
    return path;
}
} // namespace

int CInterimMacroRunner::Run(CMacro macro) {
    if (!host)
        return 0;
    int started = 1;
    if (macro.runAsScript) {
        std::string line = kNoEngineText;
        line.replace(line.find("%s"), 2, macro.name);
        const std::string path = ScriptPath(macro.scriptFile);
        line.replace(line.rfind("%s"), 2, path.empty() ? "none given" : path);
        host->Output().AppendOutput(line);
    } else {
        started = RunProgramMacro(macro, launcher, host->Messages());
    }
    host->MacroFinished();
    return started;
}
