#include "Commands.h"

#include "library/LibraryReport.h"
#include "library/MacroLibrary.h"

int ListCommand(const std::vector<std::string>& args, CtlStreams streams) {
    std::string path;
    bool json = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--json") {
            json = true;
        } else if (args[i] == "--file" && i + 1 < args.size()) {
            path = args[++i];
        } else {
            streams.err << "wingmatectl: unexpected argument '" << args[i] << "'\n" << CtlUsage();
            return kExitUsage;
        }
    }
    if (path.empty())
        path = DefaultLibraryPath();

    CMacroLibrary library;
    if (!library.LoadFrom(path)) {
        streams.err << "Could not load Macro File\n";
        return kExitFailure;
    }
    if (json)
        PrintLibraryJson(library.Root(), streams.out);
    else
        PrintLibraryTree(library.Root(), streams.out);
    return kExitOk;
}
