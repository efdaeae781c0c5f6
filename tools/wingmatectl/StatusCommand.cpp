// wingmatectl status [--json]: what the running program is doing.

#include "Commands.h"

#include "program/RunRequest.h"
#include "program/StatusRequest.h"

#include <memory>

namespace {
// With --json the answer is JSON whatever happens; the message for people
// still goes to standard error.
int RunStatus(bool json, CtlStreams streams) {
    std::string answer, error;
    bool reached = false;
    if (!SendToRunningInstance(kStatusRequestVerb, answer, error, reached)) {
        ReportUnreached(error, reached, streams.err);
        if (json)
            PrintStatusErrorJson(reached, reached ? error : "Wingmate is not running.",
                                 streams.out);
        return kExitFailure;
    }
    const std::optional<InstanceStatus> status = ParseStatusAnswer(answer);
    if (!status) {
        streams.err << "wingmatectl: unexpected answer from Wingmate: " << answer << "\n";
        if (json)
            PrintStatusErrorJson(true, "unexpected answer from Wingmate: " + answer, streams.out);
        return kExitFailure;
    }
    if (json)
        PrintStatusJson(*status, streams.out);
    else
        PrintStatusText(*status, streams.out);
    return kExitOk;
}
} // namespace

void AddStatusCommand(CLI::App& app, CtlContext& context) {
    auto json = std::make_shared<bool>(false);
    CLI::App& status = AddCommand(
        app, "status",
        "Print the running macro, the queue, and whether the scheduler and triggers are enabled",
        [json, &context] { context.status = RunStatus(*json, context.streams); });
    AddFlag(status, "--json", *json, "Print JSON, also when the program is not running");
    context.usageLines.push_back("status [--json]");
}
