// End to end: the real `wingmate` on a private Xvfb, with a home folder of its
// own, driven from outside as a user would — the scheduler, a trigger key
// pressed through XTest, `wingmatectl run`, a second start, and closing the
// window.

#include "library/MacroLibrary.h"

#include "WingmateProcess.h"
#include "XvfbServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr const char* kMainTitle = "Tessera Wingmate";
// The second start's message box.
constexpr const char* kAlreadyRunningTitle = "Wingmate";

// A Tessera script macro that appends one line (its name's first word) to
// `file`; the script lives in the home folder's Scripts/.
CMacro AppendLineMacro(const std::string& name, const std::string& file, const fs::path& home) {
    const std::string word = name.substr(0, name.find(' '));
    const fs::path script = home / "Scripts" / (word + ".tsc");
    fs::create_directories(script.parent_path());
    std::ofstream(script) << "AppendFile(\"" << file << "\", \"" << word << "\\n\");\n";
    CMacro macro;
    macro.name = name;
    macro.runAsScript = 1;
    macro.scriptFile = script.string();
    return macro;
}

// Under the sanitizer build the program's leak check stays on, except for
// the one buffer libdbus (loaded by Qt's platform code) keeps to exit.
std::string ChildLsanOptions(const fs::path& suppressions) {
    std::ofstream(suppressions) << "leak:libdbus-1.so\n";
    const char* inherited = std::getenv("LSAN_OPTIONS");
    std::string options = inherited ? inherited : "";
    return options + (options.empty() ? "" : ":") + "suppressions=" + suppressions.string();
}

struct LogLines {
    size_t tick = 0, trigger = 0, ctl = 0;
};

LogLines CountStartLines(const std::string& log) {
    LogLines counts;
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find('\n', start);
        if (end == std::string::npos)
            end = log.size();
        const std::string line = log.substr(start, end - start);
        const auto endsWith = [&line](const std::string& tail) {
            return line.size() > tail.size() &&
                   line.compare(line.size() - tail.size(), tail.size(), tail) == 0;
        };
        counts.tick += endsWith("\t\tTick Macro");
        counts.trigger += endsWith("\t\tTrigger Macro");
        counts.ctl += endsWith("\t\tCtl Macro");
        start = end + 1;
    }
    return counts;
}

class WingmateE2ETest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_XVFB(server);
        root = fs::temp_directory_path() / ("wingmate-e2e-" + std::to_string(::getpid()));
        fs::remove_all(root);
        home = root / "home";
        for (const fs::path& dir : {home, root / "config", root / "runtime", root / "out"})
            fs::create_directories(dir);
        fs::permissions(root / "runtime", fs::perms::owner_all, fs::perm_options::replace);
        env = {{"DISPLAY", server.Name()},
               {"WINGMATE_BACKEND", "x11"},
               {"WINGMATE_HOME", home.string()},
               {"XDG_CONFIG_HOME", (root / "config").string()},
               {"XDG_RUNTIME_DIR", (root / "runtime").string()},
               {"QT_QPA_PLATFORM", "xcb"},
               {"TZ", "UTC"},
               {"LSAN_OPTIONS", ChildLsanOptions(root / "lsan.supp")}};
        tickFile = (root / "out" / "tick.txt").string();
        triggerFile = (root / "out" / "trigger.txt").string();
        ctlFile = (root / "out" / "ctl.txt").string();
        programLog = (root / "wingmate-output.txt").string();
        display = XOpenDisplay(server.Name().c_str());
        ASSERT_NE(display, nullptr);
    }
    void TearDown() override {
        first.Kill();
        second.Kill();
        if (display)
            XCloseDisplay(display);
        if (HasFailure())
            std::fprintf(stderr, "wingmate's output:\n%s\n", ReadText(programLog).c_str());
        fs::remove_all(root);
    }

    void WriteLibrary() {
        CMacroLibrary library;
        library.File().SetPaths(home.string());
        CMacro top;
        top.kind = static_cast<int32_t>(MacroKind::MacroSet);
        top.name = "My Macros";
        const int32_t rootId = library.InsertRecord(top, -1, InsertPosition::Into);

        CMacro tick = AppendLineMacro("Tick Macro", tickFile, home);
        tick.scheduleType = static_cast<int32_t>(ScheduleType::Repeated);
        tick.unit = static_cast<int32_t>(ScheduleUnit::Seconds);
        tick.frequency = 1;
        tick.startDate = "1\\1\\2020";
        tick.startTime = "0:0:0";
        library.InsertRecord(tick, rootId, InsertPosition::Into);

        CMacro trigger = AppendLineMacro("Trigger Macro", triggerFile, home);
        trigger.triggerKey = "<CTRL><ALT><K>";
        library.InsertRecord(trigger, rootId, InsertPosition::Into);

        ctlId = library.InsertRecord(AppendLineMacro("Ctl Macro", ctlFile, home), rootId,
                                     InsertPosition::Into);
        // Its text stays on the clipboard after its script ended.
        const std::string ctlScript = ReadText((home / "Scripts" / "Ctl.tsc").string());
        std::ofstream(home / "Scripts" / "Ctl.tsc") << "ClipSet(\"Ctl ran\");\n" << ctlScript;
        ASSERT_EQ(library.Save(), 1);
        ASSERT_FALSE(fs::exists(home / "Macros.bak"));
    }

    // Presses Ctrl+Alt+K and waits for the trigger macro's line. A press that
    // lands while a scheduled run holds the hook may be missed, so it retries.
    bool PressTrigger(int& presses) {
        for (presses = 1; presses <= 5; ++presses) {
            SendKey(display, XK_Control_L, true);
            SendKey(display, XK_Alt_L, true);
            SendKey(display, XK_k, true);
            SendKey(display, XK_k, false);
            SendKey(display, XK_Alt_L, false);
            SendKey(display, XK_Control_L, false);
            if (WaitForLines(triggerFile, 1, 3s))
                return true;
        }
        return false;
    }

    CXvfb server;
    Display* display = nullptr;
    fs::path root, home;
    std::map<std::string, std::string> env;
    std::string tickFile, triggerFile, ctlFile, programLog;
    CChildProcess first, second;
    int32_t ctlId = 0;
};

TEST_F(WingmateE2ETest, SchedulerTriggerCtlSecondStartAndCloseWork) {
    WriteLibrary();
    std::string error;
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(first.Start(WINGMATE_PROGRAM, {}, env, programLog, error)) << error;
    const unsigned long mainWindow = WaitForWindow(display, kMainTitle, true, 15s);
    ASSERT_NE(mainWindow, 0u) << "the main window did not appear";

    // The scheduler: about one line a second.
    ASSERT_TRUE(WaitForLines(tickFile, 1, 10s)) << "the scheduled macro never ran";
    std::this_thread::sleep_for(5s);
    const size_t ticks = CountLines(tickFile);
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("scheduled macro: %zu runs in %.1f s since the start\n", ticks, elapsed);
    EXPECT_GE(ticks, 3u);
    EXPECT_LE(double(ticks), elapsed + 1) << "ran more often than once a second";

    // A trigger key pressed through XTest.
    int presses = 0;
    EXPECT_TRUE(PressTrigger(presses)) << "Ctrl+Alt+K did not run its macro";
    EXPECT_LE(presses, 3) << "the trigger needed " << presses << " presses";

    // wingmatectl run.
    std::string output;
    const int status = RunToEnd(WINGMATECTL_PROGRAM, {"run", "Ctl Macro"}, env, 15s, output);
    EXPECT_EQ(status, 0) << output;
    const std::string queued = "Queued \"Ctl Macro\" (id " + std::to_string(ctlId) + ").";
    EXPECT_NE(output.find(queued), std::string::npos) << output;
    EXPECT_TRUE(WaitForLines(ctlFile, 1, 10s)) << "the macro asked for by wingmatectl never ran";
    if (CXvfb::HasProgram("xclip")) {
        std::string pasted;
        RunToEnd("/usr/bin/env", {"xclip", "-o", "-selection", "clipboard"}, env, 10s, pasted);
        EXPECT_EQ(pasted, "Ctl ran");
    }

    // A second start says so, waits for OK and exits.
    ASSERT_TRUE(second.Start(WINGMATE_PROGRAM, {}, env, programLog, error)) << error;
    const unsigned long box = WaitForWindow(display, kAlreadyRunningTitle, false, 15s);
    ASSERT_NE(box, 0u) << "the second start showed no message box";
    SendDeleteWindow(display, box);
    int secondStatus = -1;
    ASSERT_TRUE(second.WaitExit(10s, secondStatus)) << "the second start did not exit";
    EXPECT_EQ(secondStatus, 0);
    EXPECT_TRUE(first.Running());

    // Every start is in the log.
    const LogLines logged = CountStartLines(ReadText((home / "Wingmate.log").string()));
    EXPECT_GE(logged.tick, 3u);
    EXPECT_GE(logged.trigger, 1u);
    EXPECT_EQ(logged.ctl, 1u);

    // Closing the main window saves and ends the program.
    const unsigned long window = FindViewableWindow(display, kMainTitle, true);
    ASSERT_NE(window, 0u);
    SendDeleteWindow(display, window);
    int firstStatus = -1;
    ASSERT_TRUE(first.WaitExit(15s, firstStatus)) << "closing the window did not end wingmate";
    EXPECT_EQ(firstStatus, 0);

    CMacroLibrary saved;
    ASSERT_EQ(saved.LoadFrom((home / "Macros.mcf").string()), 1);
    std::vector<std::string> names;
    const CMacroNode* tick = nullptr;
    CMacroLibrary::ForEachPreOrder(saved.Root(), [&](CMacroNode& node) {
        names.push_back(node.name);
        if (node.name == "Tick Macro")
            tick = &node;
        return true;
    });
    EXPECT_EQ(names,
              (std::vector<std::string>{"My Macros", "Tick Macro", "Trigger Macro", "Ctl Macro"}));
    ASSERT_NE(tick, nullptr);
    EXPECT_FALSE(tick->lastRunText.empty()) << "the saved library lost the last run";
    CMacroLibrary backup;
    EXPECT_EQ(backup.LoadFrom((home / "Macros.bak").string()), 1);
}

// Ends the program with a signal and waits, as the session's end would.
bool EndWithSignal(CChildProcess& child, int signalNumber, std::chrono::milliseconds within,
                   int& status) {
    ::kill(child.Pid(), signalNumber);
    return child.WaitExit(within, status);
}

// The whole damaged-library sequence in the real program: a library cut
// short, "Bad Load", the backup offered and declined, then the session ends
// with SIGTERM. The good backup survives, the damaged file is kept aside,
// and the saved library loads.
TEST_F(WingmateE2ETest, ADamagedLibraryKeepsItsBackupThroughBadLoadAndExit) {
    WriteLibrary();
    const fs::path file = home / "Macros.mcf", backup = home / "Macros.bak";
    fs::copy_file(file, backup);
    const std::string good = ReadText(file.string());
    const std::string damaged = good.substr(0, good.size() - 10);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << damaged;

    std::string error;
    ASSERT_TRUE(first.Start(WINGMATE_PROGRAM, {}, env, programLog, error)) << error;
    const unsigned long badLoad = WaitForWindow(display, "Bad Load", false, 15s);
    ASSERT_NE(badLoad, 0u) << "no Bad Load message";
    SendDeleteWindow(display, badLoad);
    const unsigned long offer = WaitForWindow(display, "Restore Macros?", false, 10s);
    ASSERT_NE(offer, 0u) << "the backup was not offered";
    SendDeleteWindow(display, offer); // closing the question answers No
    ASSERT_NE(WaitForWindow(display, kMainTitle, true, 10s), 0u);

    int status = -1;
    ASSERT_TRUE(EndWithSignal(first, SIGTERM, 5s, status)) << "SIGTERM did not end wingmate";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadText(backup.string()), good) << "the backup was overwritten";
    CMacroLibrary fromBackup, saved;
    EXPECT_EQ(fromBackup.LoadFrom(backup.string()), 1);
    EXPECT_EQ(saved.LoadFrom(file.string()), 1);
    size_t keptAside = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(home)) {
        if (entry.path().filename().string().rfind("Macros.mcf.damaged-", 0) == 0) {
            ++keptAside;
            EXPECT_EQ(ReadText(entry.path().string()), damaged);
        }
    }
    EXPECT_EQ(keptAside, 1u);
    EXPECT_NE(ReadText(programLog).find("Macros.mcf.damaged-"), std::string::npos)
        << "the program did not say where the damaged file is";
}

// The session ends while the start still shows "Bad Load": the program
// ends at once and the backup survives.
TEST_F(WingmateE2ETest, SigtermDuringTheBadLoadBoxEndsAndKeepsTheBackup) {
    WriteLibrary();
    const fs::path file = home / "Macros.mcf", backup = home / "Macros.bak";
    fs::copy_file(file, backup);
    const std::string good = ReadText(file.string());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << good.substr(0, good.size() - 10);
    std::string error;
    ASSERT_TRUE(first.Start(WINGMATE_PROGRAM, {}, env, programLog, error)) << error;
    ASSERT_NE(WaitForWindow(display, "Bad Load", false, 15s), 0u) << "no Bad Load message";
    int status = -1;
    ASSERT_TRUE(EndWithSignal(first, SIGTERM, 5s, status)) << "SIGTERM did not end wingmate";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadText(backup.string()), good);
}

// SIGTERM saves what changed in memory (here the scheduled macro's last
// run), and a script showing an Alert does not hold the end up.
TEST_F(WingmateE2ETest, SigtermSavesAndEndsWithinThreeSecondsDuringAnAlert) {
    WriteLibrary();
    {
        CMacroLibrary library;
        ASSERT_EQ(library.LoadFrom((home / "Macros.mcf").string()), 1);
        CMacro alert = AppendLineMacro("Alert Macro", ctlFile, home);
        std::ofstream(alert.scriptFile) << "Alert(\"Still here\");\n";
        library.InsertRecord(alert, library.Root()->id, InsertPosition::Into);
        library.File().SetPaths(home.string());
        ASSERT_EQ(library.File().WriteTo(library.Root(), (home / "Macros.mcf").string(), nullptr),
                  1);
    }
    std::string error;
    ASSERT_TRUE(first.Start(WINGMATE_PROGRAM, {}, env, programLog, error)) << error;
    ASSERT_NE(WaitForWindow(display, kMainTitle, true, 15s), 0u);
    ASSERT_TRUE(WaitForLines(tickFile, 1, 10s)) << "the scheduled macro never ran";
    std::string output;
    ASSERT_EQ(RunToEnd(WINGMATECTL_PROGRAM, {"run", "Alert Macro"}, env, 15s, output), 0) << output;
    ASSERT_NE(WaitForWindow(display, "Tessera", false, 10s), 0u) << "the Alert box never showed";

    const auto before = std::chrono::steady_clock::now();
    int status = -1;
    ASSERT_TRUE(EndWithSignal(first, SIGTERM, 10s, status)) << "SIGTERM did not end wingmate";
    EXPECT_LT(std::chrono::steady_clock::now() - before, 3s);
    EXPECT_EQ(status, 0);
    CMacroLibrary saved;
    ASSERT_EQ(saved.LoadFrom((home / "Macros.mcf").string()), 1);
    bool tickRunSaved = false;
    CMacroLibrary::ForEachPreOrder(saved.Root(), [&](CMacroNode& node) {
        tickRunSaved = tickRunSaved || (node.name == "Tick Macro" && !node.lastRunText.empty());
        return true;
    });
    EXPECT_TRUE(tickRunSaved) << "what changed in memory was not saved";
    EXPECT_FALSE(fs::exists(home / "Macros.mcf.recovery"));
}

// Two copies started at the same moment: one runs, the other says so and
// ends, every time.
TEST_F(WingmateE2ETest, TwoCopiesStartedTogetherNeverBothRun) {
    WriteLibrary();
    for (int round = 0; round < 5; ++round) {
        std::string error;
        CChildProcess a, b;
        ASSERT_TRUE(a.Start(WINGMATE_PROGRAM, {}, env, programLog, error)) << error;
        ASSERT_TRUE(b.Start(WINGMATE_PROGRAM, {}, env, programLog, error)) << error;
        const unsigned long box = WaitForWindow(display, kAlreadyRunningTitle, false, 15s);
        ASSERT_NE(box, 0u) << "round " << round << ": no copy was turned away";
        SendDeleteWindow(display, box);
        int status = -1;
        bool aEnded = false, bEnded = false;
        for (int poll = 0; poll < 200 && !aEnded && !bEnded; ++poll) {
            aEnded = a.WaitExit(25ms, status);
            bEnded = !aEnded && b.WaitExit(25ms, status);
        }
        ASSERT_TRUE(aEnded || bEnded) << "round " << round << ": the turned-away copy ran on";
        EXPECT_EQ(status, 0);
        CChildProcess& running = aEnded ? b : a;
        EXPECT_TRUE(running.Running());
        ASSERT_TRUE(EndWithSignal(running, SIGTERM, 10s, status));
        EXPECT_EQ(status, 0);
    }
}

} // namespace
