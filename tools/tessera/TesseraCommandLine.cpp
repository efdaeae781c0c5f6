#include "TesseraCommandLine.h"

#include <CLI/CLI.hpp>

void BuildTesseraCommandLine(CLI::App& app, TesseraOptions& options) {
    AddVersionFlag(app);
    AddCompletionFlags(app);
    AddManPageFlag(app);
    app.add_option("FILE", options.file,
                   "The script to compile and run; - reads it from standard input")
        ->required()
        ->type_name("FILE");
    CLI::Option* args =
        app.add_option("--args", options.argsText, "The script's arguments, as one text")
            ->type_name("TEXT");
    CLI::Option* disassemble = app.add_flag("--disassemble", options.disassemble,
                                            "Print the script's bytecode, do not run it")
                                   ->excludes(args);
    app.add_flag("--check", options.check,
                 "Compile only: print the first error as FILE:LINE:COLUMN: error: TEXT")
        ->excludes(args)
        ->excludes(disassemble);
    // "-" is a file name here, not an option.
    app.positionals_at_end(false);
}

bool TesseraArgsGiven(const CLI::App& app) {
    return app.count("--args") > 0;
}
