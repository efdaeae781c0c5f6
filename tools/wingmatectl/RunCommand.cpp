// wingmatectl run NAME|ID: the running program queues the macro as Execute does.

#include "Commands.h"

#include "program/RunRequest.h"

#include <memory>

namespace {
int RunRun(const std::string& target, CtlStreams streams) {
    if (target.empty()) {
        streams.err << "wingmatectl: run needs the name or id of a macro\n";
        return kExitUsage;
    }
    if (target.find_first_of("\r\n") != std::string::npos) {
        streams.err << "wingmatectl: a macro name has no line breaks\n";
        return kExitUsage;
    }
    std::string answer, error;
    bool reached = false;
    if (!SendToRunningInstance(std::string(kRunRequestVerb) + " " + target, answer, error,
                               reached)) {
        ReportUnreached(error, reached, streams.err);
        return kExitFailure;
    }
    const size_t tab = answer.find('\t');
    const std::string status = answer.substr(0, tab);
    const std::string rest = tab == std::string::npos ? "" : answer.substr(tab + 1);
    if (status == "queued") {
        const size_t nameTab = rest.find('\t');
        streams.out << "Queued \""
                    << (nameTab == std::string::npos ? rest : rest.substr(nameTab + 1)) << "\" (id "
                    << rest.substr(0, nameTab) << ").\n";
        return kExitOk;
    }
    if (status == "refused") {
        streams.err << "Not queued: " << rest << "\n";
        return kExitFailure;
    }
    streams.err << "wingmatectl: unexpected answer from Wingmate: " << answer << "\n";
    return kExitFailure;
}
} // namespace

void AddRunCommand(CLI::App& app, CtlContext& context) {
    auto target = std::make_shared<std::string>();
    CLI::App& run =
        AddCommand(app, "run", "Ask the running program to run a macro",
                   [target, &context] { context.status = RunRun(*target, context.streams); });
    AddTextOption(run, "NAME|ID", *target, "The macro's name or id", "", true);
    // The shells' completions ask for macro names here; the library is only read.
    AddArgumentCompleter(run, [&context](const std::string& prefix) {
        const std::string path = DefaultLibraryPath();
        CMacroLibrary library;
        std::string error;
        if (!library.LoadFrom(path, &error)) {
            context.streams.err << "wingmatectl: "
                                << (error.empty() ? path + " is not a macro library" : error)
                                << "\n";
            return kExitFailure;
        }
        for (const std::string& name : RunTargetNames(library, prefix))
            context.streams.out << name << "\n";
        return kExitOk;
    });
    context.usageLines.push_back("run NAME|ID");
}
