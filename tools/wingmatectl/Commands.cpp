#include "Commands.h"

#include "app/HomeFolder.h"
#include "library/MacroFile.h"

#include <functional>

namespace {
struct CommandEntry {
    const char* name;
    std::function<int(const std::vector<std::string>&, CtlStreams)> run;
};

const CommandEntry kCommands[] = {
    {"list", ListCommand},
    {"due", DueCommand},
    {"run", RunCommand},
};
} // namespace

std::string CtlUsage() {
    return "usage: wingmatectl list [--file PATH] [--json]\n"
           "       wingmatectl due [--file PATH] --from \"YYYY-MM-DD HH:MM:SS\" --to "
           "\"YYYY-MM-DD HH:MM:SS\"\n"
           "       wingmatectl run NAME|ID\n";
}

std::string DefaultLibraryPath() {
    CMacroFile file;
    file.SetPaths(WingmateHomeFolder());
    return file.libraryPath;
}

int RunWingmateCtl(const std::vector<std::string>& args, CtlStreams streams) {
    if (args.empty()) {
        streams.err << CtlUsage();
        return kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        streams.out << CtlUsage();
        return kExitOk;
    }
    for (const CommandEntry& command : kCommands) {
        if (args[0] == command.name)
            return command.run(std::vector<std::string>(args.begin() + 1, args.end()), streams);
    }
    streams.err << "wingmatectl: unknown command '" << args[0] << "'\n" << CtlUsage();
    return kExitUsage;
}
