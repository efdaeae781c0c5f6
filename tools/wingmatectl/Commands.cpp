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
    {"salvage", SalvageCommand},
    {"decl", DeclCommand},
    {"record", RecordCommand},
};
} // namespace

std::string CtlUsage() {
    return "usage: wingmatectl list [--file PATH] [--json]\n"
           "       wingmatectl due [--file PATH] --from \"YYYY-MM-DD HH:MM:SS\" --to "
           "\"YYYY-MM-DD HH:MM:SS\"\n"
           "       wingmatectl run NAME|ID\n"
           "       wingmatectl salvage FILE OUT\n"
           "       wingmatectl decl FILE...\n"
           "       wingmatectl decl --normalize FILE\n"
           "       wingmatectl record FILE [--stop CTRL+Z] [--delay MS] [--idle SECONDS] "
           "[--full-titles]\n"
           "\n"
           "salvage writes to OUT (never FILE itself, which is only read) the records of a\n"
           "damaged library FILE read up to the first damaged one, as a library that loads:\n"
           "a record whose parent was not read is left out with everything below it, and a\n"
           "second root starts over as a load does. It says how many records were kept and\n"
           "how many bytes were left unread; exit 1 when no root entry could be read (OUT\n"
           "is then not written), 2 for bad usage.\n"
           "\n"
           "decl prints each window declarations FILE as a tree: the file name, then one\n"
           "line per declaration, indented two spaces a level, with its name, type, tag,\n"
           "class and qualified name separated by tabs. --normalize writes FILE back in\n"
           "the canonical format (through a temporary file; a FILE that does not read is\n"
           "left as it is). Exit 1 when a FILE does not read, 2 for bad usage.\n";
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
