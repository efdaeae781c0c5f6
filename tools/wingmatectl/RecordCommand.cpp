// wingmatectl record FILE [--stop CTRL+Z] [--delay MS] [--idle SECONDS]
// [--wait-timeout MS] [--full-titles]: records keys and mouse as a Tessera script until the stop
// combination, then writes FILE whole (or leaves it as it was).

#include "Commands.h"

#include "library/AtomicFile.h"
#include "record/RecordDlgLogic.h"
#include "record/Recorder.h"
#include "triggers/KeyNames.h"

#ifdef WINGMATECTL_WITH_X11
#include "x11/X11RecordSource.h"
#endif

#include <atomic>
#include <cctype>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <filesystem>
#include <mutex>
#include <unistd.h>

namespace {

struct RecordOptions {
    std::string file;
    std::string stopText = "CTRL+Z";
    uint16_t stopModifier = vk::Ctrl;
    uint16_t stopKey = 'Z';
    std::string stopCharacter = "z"; // what the stop key types; empty: a named key
    int32_t delayMs = 0;
    int32_t idleSeconds = 0;
    int32_t windowWaitMs = kDefaultWindowWaitMs;
    bool fullTitles = false;
};

constexpr int32_t kMaxDelayMs = 600000;

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// combination := modifier "+" key ; modifier := "ALT" | "CTRL" | "SHIFT" ;
// key := one character ("z", "#", "ä") | key name ("F5", "PGUP", ...)
bool ParseStop(const std::string& text, RecordOptions& options) {
    const size_t plus = text.find('+');
    if (plus == std::string::npos || plus + 1 >= text.size())
        return false;
    static const std::pair<const char*, uint16_t> kModifiers[] = {
        {"ALT", vk::Alt}, {"CTRL", vk::Ctrl}, {"SHIFT", vk::Shift}};
    const std::string modifier = Upper(text.substr(0, plus));
    const std::string key = Upper(text.substr(plus + 1));
    options.stopModifier = 0;
    for (const auto& [name, code] : kModifiers)
        if (modifier == name)
            options.stopModifier = code;
    // A character is the key that types it on the layout in use, found when
    // recording starts; its US key serves sources that know no layout.
    const std::string rest = text.substr(plus + 1);
    options.stopCharacter = StopCharacter(rest);
    int code = 0;
    if (!options.stopCharacter.empty() && options.stopCharacter.size() == rest.size()) {
        code = StopKeyForText(options.stopCharacter) & 0xFF;
    } else {
        options.stopCharacter.clear();
        code = KeyCodeForName(key);
        if (!code)
            return false;
    }
    if (!options.stopModifier || code == vk::Ctrl || code == vk::Alt || code == vk::Shift)
        return false;
    options.stopKey = static_cast<uint16_t>(code);
    options.stopText = options.stopCharacter.empty()
                           ? modifier + "+" + key
                           : StopKeyText(options.stopModifier, options.stopCharacter);
    return true;
}

bool ParseNumber(const std::string& text, int32_t low, int32_t high, int32_t& value) {
    const char* end = text.data() + text.size();
    const auto [rest, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && rest == end && value >= low && value <= high;
}

// Empty when the arguments are understood, else what is wrong.
std::string ParseArguments(const std::vector<std::string>& args, RecordOptions& options) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--full-titles") {
            options.fullTitles = true;
        } else if (arg == "--stop") {
            if (!hasValue || !ParseStop(args[++i], options))
                return "--stop wants ALT, CTRL or SHIFT, '+' and a character or key name "
                       "(CTRL+Z)";
        } else if (arg == "--delay") {
            if (!hasValue || !ParseNumber(args[++i], 0, kMaxDelayMs, options.delayMs))
                return "--delay wants milliseconds from 0 to 600000";
        } else if (arg == "--idle") {
            if (!hasValue || !ParseNumber(args[++i], 1, 86400, options.idleSeconds))
                return "--idle wants seconds from 1 to 86400";
        } else if (arg == "--wait-timeout") {
            if (!hasValue || !ParseNumber(args[++i], 0, kMaxWindowWaitMs, options.windowWaitMs))
                return "--wait-timeout wants milliseconds from 0 to 600000";
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option '" + arg + "'";
        } else if (options.file.empty()) {
            options.file = arg;
        } else {
            return "only one FILE may be given";
        }
    }
    return options.file.empty() ? "FILE is missing" : "";
}

// Gathers the lines and waits for the stop combination.
class CRecording : public IScriptSink, public IRecordOwner {
public:
    void AppendLine(const std::string& line) override { lines.push_back(line); }
    void PostCommand(unsigned identifier) override {
        if (identifier == kStopRecording)
            stopRequested = true;
    }
    void Wake() {
        std::lock_guard lock(mutex);
        woken = true;
        changed.notify_one();
    }
    // Waits for events (or a short while, to notice signals).
    void Wait() {
        std::unique_lock lock(mutex);
        changed.wait_for(lock, std::chrono::milliseconds(50), [this] { return woken; });
        woken = false;
    }

    std::vector<std::string> lines;
    bool stopRequested = false;

private:
    std::mutex mutex;
    std::condition_variable changed;
    bool woken = false;
};

volatile std::sig_atomic_t interrupted = 0;
extern "C" void OnInterrupt(int signal) {
    interrupted = signal;
}

// Ctrl+C or a kill abandons the recording; Ctrl+Z (the default stop
// combination, which the terminal also sees) must not suspend the program.
class CSignalGuard {
public:
    CSignalGuard() {
        interrupted = 0;
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &oldInt);
        sigaction(SIGTERM, &action, &oldTerm);
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(SIGTSTP, &ignore, &oldStop);
    }
    ~CSignalGuard() {
        sigaction(SIGINT, &oldInt, nullptr);
        sigaction(SIGTERM, &oldTerm, nullptr);
        sigaction(SIGTSTP, &oldStop, nullptr);
    }

private:
    struct sigaction oldInt {};
    struct sigaction oldTerm {};
    struct sigaction oldStop {};
};

// Why FILE could not be written after recording, found before the user
// records anything; empty when it looks writable.
std::string CannotWrite(const std::string& file) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::is_directory(file, error))
        return file + " is a folder";
    fs::path folder = fs::path(file).parent_path();
    if (folder.empty())
        folder = ".";
    if (!fs::is_directory(folder, error))
        return "the folder " + folder.string() + " does not exist";
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return "the folder " + folder.string() + " is not writable";
    return {};
}

int Record(IRecordSource& source, const RecordOptions& options, CtlStreams streams) {
    if (const std::string why = CannotWrite(options.file); !why.empty()) {
        streams.err << "wingmatectl: cannot record to " << options.file << ": " << why << "\n";
        return kExitFailure;
    }
    CRecording recording;
    CRecorder recorder(source);
    recorder.SetTruncState(options.fullTitles ? 0 : 1);
    recorder.SetWake([&recording] { recording.Wake(); });
    RecordInitT init;
    init.scriptView = &recording;
    init.owner = &recording;
    init.defaultDelay = options.delayMs;
    init.stopModifier = options.stopModifier;
    init.stopKey = options.stopKey;
    init.stopCharacter = options.stopCharacter;
    init.sleepWhenIdle = options.idleSeconds > 0;
    init.idleSeconds = options.idleSeconds;
    init.windowWaitMs = options.windowWaitMs;
    recorder.Init(init);

    CSignalGuard signals;
    if (const std::string why = recorder.Start(); !why.empty()) {
        streams.err << "wingmatectl: " << why << "\n";
        return kExitFailure;
    }
    streams.out << "Recording. Press " << options.stopText << " to stop." << std::endl;
    while (!recording.stopRequested && !interrupted) {
        recording.Wait();
        recorder.Pump();
    }
    recorder.ReleaseHooks();
    if (interrupted) {
        streams.err << "wingmatectl: recording abandoned; " << options.file << " was not written\n";
        return kExitFailure;
    }
    if (recording.lines.empty()) {
        streams.err << "wingmatectl: nothing was recorded; " << options.file
                    << " was not written\n";
        return kExitFailure;
    }
    std::string script;
    for (const std::string& line : recording.lines)
        script += line + "\n";
    std::string error;
    if (!WriteFileAtomically(options.file, script, &error)) {
        // The recording is not lost: it goes to the terminal instead.
        streams.err << "wingmatectl: " << error << "\nThe recorded script follows:\n";
        streams.out << script << std::flush;
        return kExitFailure;
    }
    streams.out << "Wrote " << recording.lines.size() << " lines to " << options.file << "."
                << std::endl;
    return kExitOk;
}

} // namespace

int RecordCommand(const std::vector<std::string>& args, CtlStreams streams) {
    RecordOptions options;
    if (const std::string wrong = ParseArguments(args, options); !wrong.empty()) {
        streams.err << "wingmatectl: record: " << wrong << "\n" << CtlUsage();
        return kExitUsage;
    }
#ifdef WINGMATECTL_WITH_X11
    CX11RecordSource source;
    return Record(source, options, streams);
#else
    streams.err << "wingmatectl: Recording is unavailable: this build has no X11 support.\n";
    return kExitFailure;
#endif
}

void AddRecordCommand(CLI::App& app, CtlContext& context) {
    AddRawCommand(
        app, context, "record",
        "Record keys and mouse as a Tessera script until the stop combination",
        {{"--stop", "KEYS",
          "The combination that ends the recording: ALT, CTRL or SHIFT, '+' and a "
          "character or key name (default CTRL+Z)"},
         {"--delay", "MS", "A Sleep of MS milliseconds (0 to 600000) between recorded actions"},
         {"--idle", "SECONDS", "Write a Sleep for each pause longer than SECONDS (1 to 86400)"},
         {"--wait-timeout", "MS",
          "How long the script waits for each window, in milliseconds (0 to 600000, default 5000)"},
         {"--full-titles", "", "Write window titles whole, not cut to their stable part"}},
        RecordCommand);
    context.usageLines.push_back("record FILE [--stop CTRL+Z] [--delay MS] [--idle SECONDS] "
                                 "[--wait-timeout MS] [--full-titles]");
}
