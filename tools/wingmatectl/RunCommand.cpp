#include "Commands.h"

#include "app/InstanceSocket.h"
#include "app/RunRequest.h"

int RunCommand(const std::vector<std::string>& args, CtlStreams streams) {
    if (args.size() != 1 || args[0].empty()) {
        streams.err << CtlUsage();
        return kExitUsage;
    }
    if (args[0].find_first_of("\r\n") != std::string::npos) {
        streams.err << "wingmatectl: a macro name has no line breaks\n";
        return kExitUsage;
    }
    std::string answer, error;
    bool reached = false;
    if (!SendInstanceRequest(InstanceSocketPath(), std::string(kRunRequestVerb) + " " + args[0],
                             answer, error, reached)) {
        if (reached)
            streams.err << "wingmatectl: " << error << "\n";
        else
            streams.err << "Wingmate is not running.\n";
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
