#include "Commands.h"

#include "CliSupport.h"

#include "library/HomeFolder.h"
#include "library/MacroFile.h"
#include "library/MacroLibrary.h"

#include <sstream>

namespace {
using AddCommandFn = void (*)(CLI::App&, CtlContext&);

// Every command, in the order the usage lists them.
constexpr AddCommandFn kCommands[] = {
    AddListCommand,   AddDueCommand,  AddRunCommand,    AddSalvageCommand,
    AddStatusCommand, AddDeclCommand, AddRecordCommand,
};
} // namespace

void BuildWingmateCtl(CLI::App& app, CtlContext& context) {
    AddVersionFlag(app);
    AddCompletionFlags(app);
    AddManPageFlag(app);
    RequireCommand(app);
    for (AddCommandFn add : kCommands)
        add(app, context);
}

std::string CtlUsage(const CtlContext& context) {
    std::string text;
    for (const std::string& line : context.usageLines)
        text += (text.empty() ? "usage: wingmatectl " : "       wingmatectl ") + line + "\n";
    text += "       wingmatectl --help | --version | COMMAND --help\n";
    if (!context.notes.empty())
        text += "\n" + context.notes;
    return text;
}

std::string CtlUsage() {
    std::ostringstream ignored;
    CtlContext context(CtlStreams{ignored, ignored});
    BuildWingmateCtl(*NewCommandLine("", "wingmatectl"), context);
    return CtlUsage(context);
}

std::string DefaultLibraryPath() {
    CMacroFile file;
    file.SetPaths(WingmateHomeFolder());
    return file.libraryPath;
}

void PrintExtrasReport(const CMacroLibrary& library, std::ostream& err) {
    const CMacroLibrary::ExtrasLoadReport& report = library.ExtrasReport();
    if (!report.readError.empty())
        err << "wingmatectl: the abbreviations and window filters were not read: "
            << report.readError << "\n";
    if (!report.damage.empty())
        err << "wingmatectl: " << report.path << " is damaged (" << report.damage
            << "); what read whole is used\n";
    for (const std::string& problem : report.problems)
        err << "wingmatectl: " << problem << "\n";
}

void ReportUnreached(const std::string& error, bool reached, std::ostream& err) {
    if (reached)
        err << "wingmatectl: " << error << "\n";
    else
        err << "Wingmate is not running.\n";
}

int RunWingmateCtl(const std::vector<std::string>& args, CtlStreams streams) {
    const std::shared_ptr<CLI::App> app = NewCommandLine(
        "Reads the Wingmate macro library and talks to the running program.", "wingmatectl");
    CtlContext context(streams);
    BuildWingmateCtl(*app, context);
    const int parsed = ParseCommandLine(*app, args, streams.out, streams.err, CtlUsage(context));
    return parsed >= 0 ? parsed : context.status;
}

void AddRawCommand(CLI::App& app, CtlContext& context, const char* name, const char* summary,
                   std::vector<RawOption> options,
                   int (*run)(const std::vector<std::string>&, CtlStreams)) {
    AddRawSubcommand(app, name, summary, std::move(options),
                     [&context, run](const std::vector<std::string>& args) {
                         context.status = run(args, context.streams);
                     });
}
