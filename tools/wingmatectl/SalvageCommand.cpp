// wingmatectl salvage FILE OUT: what can still be read of a damaged library,
// written to OUT as a library that loads. FILE is only ever read.

#include "Commands.h"

#include "library/AtomicFile.h"
#include "library/MacroLibrary.h"

#include <memory>
#include <sys/stat.h>

namespace {

// OUT names FILE itself: the same path, a link to it, or a hard link.
bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0)
        return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

int RunSalvage(const std::string& file, const std::string& out, CtlStreams streams) {
    if (file.empty() || out.empty()) {
        streams.err << "wingmatectl: salvage needs FILE and OUT\n";
        return kExitUsage;
    }
    if (file == out || SameFile(file, out)) {
        streams.err << "wingmatectl: OUT must not be FILE itself: the damaged file is never "
                       "changed\n";
        return kExitUsage;
    }

    std::string bytes;
    std::string error;
    if (!CMacroFile::ReadWholeFile(file, bytes, &error)) {
        streams.err << "wingmatectl: " << error << "\n";
        return kExitFailure;
    }
    CMacroLibrary library;
    CMacroLibrary::SalvageCount count;
    if (!library.SalvageFromBytes(bytes, &count)) {
        streams.err << "wingmatectl: nothing could be read from " << file << ": no root entry in "
                    << count.recordsRead << " whole records; " << count.bytesUnread << " of "
                    << bytes.size() << " bytes left unread\n";
        return kExitFailure;
    }
    // The extras of the macros kept come along, as far as they read.
    library.LoadExtras(file);
    PrintExtrasReport(library, streams.err);
    if (!library.File().WriteTo(library.Root(), out, &error)) {
        streams.err << "wingmatectl: " << error << "\n";
        return kExitFailure;
    }
    streams.out << "Kept " << count.recordsKept << " of " << count.recordsRead << " records read; "
                << count.bytesUnread << " of " << bytes.size() << " bytes left unread. Wrote "
                << out << ".\n";
    return kExitOk;
}
} // namespace

void AddSalvageCommand(CLI::App& app, CtlContext& context) {
    auto paths = std::make_shared<std::pair<std::string, std::string>>();
    CLI::App& salvage = AddCommand(
        app, "salvage", "Write what can be read of a damaged library to OUT", [paths, &context] {
            context.status = RunSalvage(paths->first, paths->second, context.streams);
        });
    AddTextOption(salvage, "FILE", paths->first, "The damaged library (only read)", "", true);
    AddTextOption(salvage, "OUT", paths->second, "The library to write", "", true);
    context.usageLines.push_back("salvage FILE OUT");
    context.AddNote(
        "salvage writes to OUT (never FILE itself, which is only read) the records of a\n"
        "damaged library FILE read up to the first damaged one, as a library that loads:\n"
        "a record whose parent was not read is left out with everything below it, and a\n"
        "second root starts over as a load does. It says how many records were kept and\n"
        "how many bytes were left unread; exit 1 when no root entry could be read (OUT\n"
        "is then not written), 2 for bad usage. The abbreviations and window filters in\n"
        "FILE.ext that still read go to OUT.ext with the macros they belong to.\n");
}
