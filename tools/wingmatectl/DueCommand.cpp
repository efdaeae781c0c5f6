// wingmatectl due: the seconds of a range at which library entries are due.

#include "Commands.h"

#include "library/MacroLibrary.h"
#include "schedule/DueTimes.h"
#include "schedule/Schedule.h"

#include <cctype>
#include <cstdio>
#include <memory>

namespace {

constexpr int64_t kMaxRangeSeconds = 366 * int64_t{86400};

struct WallTime {
    int64_t year;
    int month, day, hour, minute, second;
};

// "YYYY-MM-DD HH:MM:SS", every field in range.
bool ParseWallTime(const std::string& text, WallTime& wall) {
    static const char kPattern[] = "dddd-dd-dd dd:dd:dd";
    if (text.size() != sizeof kPattern - 1)
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
        if (kPattern[i] == 'd' ? !digit : text[i] != kPattern[i])
            return false;
    }
    const auto number = [&](size_t at, size_t length) {
        return std::stoi(text.substr(at, length));
    };
    wall = {number(0, 4), number(5, 2), number(8, 2), number(11, 2), number(14, 2), number(17, 2)};
    return wall.month >= 1 && wall.month <= 12 && wall.day >= 1 &&
           wall.day <= DaysInMonth(wall.year, wall.month) && wall.hour <= 23 && wall.minute <= 59 &&
           wall.second <= 59;
}

// The range bound as a time: the earliest instant of a repeated local time
// for the start, the latest for the end.
bool ResolveBound(const std::string& option, const std::string& text, bool latest, int64_t& time,
                  std::ostream& err) {
    WallTime wall{};
    if (!ParseWallTime(text, wall)) {
        err << "wingmatectl: " << option << " '" << text
            << "' is not a date and time of the form YYYY-MM-DD HH:MM:SS\n";
        return false;
    }
    int64_t instants[kMaxWallInstants];
    const int count = WallTimeInstants(wall.year, wall.month, wall.day, wall.hour, wall.minute,
                                       wall.second, instants);
    if (count == 0) {
        err << "wingmatectl: " << option << " '" << text
            << "' does not exist in the local time zone (clocks skip it)\n";
        return false;
    }
    time = latest ? instants[count - 1] : instants[0];
    return true;
}

std::string FormatLocal(int64_t t) {
    const LocalParts parts = ToLocalParts(t);
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02d %02d:%02d:%02d",
                  static_cast<long long>(parts.year), parts.month, parts.day, parts.hour,
                  parts.minute, parts.second);
    return text;
}

// One entry per line: tabs and line breaks in a name become blanks.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    }
    return text;
}

} // namespace

namespace {
struct DueOptions {
    std::string path;
    std::string fromText;
    std::string toText;
};

int RunDue(const DueOptions& options, CtlStreams streams) {
    std::string path = options.path;
    const std::string& fromText = options.fromText;
    const std::string& toText = options.toText;
    // Checked here rather than by the parser, so the message names both.
    if (fromText.empty() || toText.empty()) {
        streams.err << "wingmatectl: due needs --from and --to\n";
        return kExitUsage;
    }
    int64_t from = 0;
    int64_t to = 0;
    if (!ResolveBound("--from", fromText, false, from, streams.err) ||
        !ResolveBound("--to", toText, true, to, streams.err))
        return kExitUsage;
    if (to < from) {
        streams.err << "wingmatectl: the range ends (" << toText << ") before it starts ("
                    << fromText << ")\n";
        return kExitUsage;
    }
    if (to - from > kMaxRangeSeconds) {
        streams.err << "wingmatectl: the range is longer than 366 days\n";
        return kExitUsage;
    }

    if (path.empty())
        path = DefaultLibraryPath();
    CMacroLibrary library;
    if (!library.LoadFrom(path)) {
        streams.err << "Could not load Macro File\n";
        return kExitFailure;
    }

    std::string buffer;
    int64_t formattedSecond = 0;
    std::string formatted;
    bool anyFormatted = false;
    ForEachDueBetween(library.Root(), from, to, [&](int64_t t, const CMacroNode& node) {
        if (!anyFormatted || t != formattedSecond) {
            formatted = FormatLocal(t);
            formattedSecond = t;
            anyFormatted = true;
        }
        buffer += formatted;
        buffer += '\t';
        buffer += std::to_string(node.id);
        buffer += '\t';
        buffer += OneLine(node.name);
        buffer += '\n';
        if (buffer.size() >= 1 << 16) {
            streams.out << buffer;
            buffer.clear();
        }
    });
    streams.out << buffer;
    return kExitOk;
}
} // namespace

void AddDueCommand(CLI::App& app, CtlContext& context) {
    auto options = std::make_shared<DueOptions>();
    CLI::App& due =
        AddCommand(app, "due", "Print when library entries are due in a range",
                   [options, &context] { context.status = RunDue(*options, context.streams); });
    AddTextOption(due, "--file", options->path, "The library to read (default: the home folder's)",
                  "PATH");
    AddTextOption(due, "--from", options->fromText, "Start of the range, local time",
                  "\"YYYY-MM-DD HH:MM:SS\"");
    AddTextOption(due, "--to", options->toText, "End of the range, local time (at most 366 days)",
                  "\"YYYY-MM-DD HH:MM:SS\"");
    context.usageLines.push_back(
        "due [--file PATH] --from \"YYYY-MM-DD HH:MM:SS\" --to \"YYYY-MM-DD HH:MM:SS\"");
}
