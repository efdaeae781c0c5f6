// wingmatectl list: the library as an indented tree, or as JSON.

#include "Commands.h"

#include "program/LibraryReport.h"
#include "library/MacroLibrary.h"

#include <memory>

namespace {
struct ListOptions {
    std::string path;
    bool json = false;
};

int RunList(const ListOptions& options, CtlStreams streams) {
    const std::string path = options.path.empty() ? DefaultLibraryPath() : options.path;
    CMacroLibrary library;
    if (!library.LoadFrom(path)) {
        streams.err << "Could not load Macro File\n";
        return kExitFailure;
    }
    PrintExtrasReport(library, streams.err);
    if (options.json)
        PrintLibraryJson(library.Root(), streams.out);
    else
        PrintLibraryTree(library.Root(), streams.out);
    return kExitOk;
}
} // namespace

void AddListCommand(CLI::App& app, CtlContext& context) {
    auto options = std::make_shared<ListOptions>();
    CLI::App& list = AddCommand(app, "list", "Print the macro library", [options, &context] {
        context.status = RunList(*options, context.streams);
    });
    AddTextOption(list, "--file", options->path, "The library to read (default: the home folder's)",
                  "PATH");
    AddFlag(list, "--json", options->json, "Print JSON instead of a tree");
    context.usageLines.push_back("list [--file PATH] [--json]");
}
