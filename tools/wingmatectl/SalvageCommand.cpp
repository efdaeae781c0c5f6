// wingmatectl salvage FILE OUT: what can still be read of a damaged library,
// written to OUT as a library that loads. FILE is only ever read.

#include "Commands.h"

#include "library/AtomicFile.h"
#include "library/MacroLibrary.h"

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

} // namespace

int SalvageCommand(const std::vector<std::string>& args, CtlStreams streams) {
    if (args.size() != 2 || args[0].empty() || args[1].empty()) {
        streams.err << CtlUsage();
        return kExitUsage;
    }
    const std::string& file = args[0];
    const std::string& out = args[1];
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
    if (!library.File().WriteTo(library.Root(), out, &error)) {
        streams.err << "wingmatectl: " << error << "\n";
        return kExitFailure;
    }
    streams.out << "Kept " << count.recordsKept << " of " << count.recordsRead << " records read; "
                << count.bytesUnread << " of " << bytes.size() << " bytes left unread. Wrote "
                << out << ".\n";
    return kExitOk;
}
