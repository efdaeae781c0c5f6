// The clipboard on a real X server, with xclip as the other program: what
// one side sets the other reads (large texts in INCR chunks both ways),
// `tessera` keeps its text after it ended, and waiting ends in time.
#include "XvfbSuite.h"

#include "engine/EngineTestUtil.h"
#include "x11/X11Clipboard.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

using namespace std::chrono_literals;

class ClipboardTest : public XvfbClientTest {
protected:
    void SetUp() override {
        XvfbClientTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        if (!CXvfb::HasProgram("xclip"))
            GTEST_SKIP() << "xclip is not installed (Debian package xclip)";
        std::string why;
        clipboard = CX11Clipboard::Open(&why, server->Name());
        ASSERT_NE(clipboard, nullptr) << why;
    }
    void TearDown() override {
        clipboard.reset();
        for (pid_t pid : owners) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        XvfbClientTest::TearDown();
    }

    std::string Display() const { return "DISPLAY=" + server->Name(); }

    Window OwnerOf(const char* selection) {
        return XGetSelectionOwner(client, XInternAtom(client, selection, False));
    }

    // xclip serving `bytes` as `target` on `selection` until it loses it.
    void XclipServes(const std::string& bytes, const char* selection = "clipboard",
                     const char* target = "UTF8_STRING") {
        const std::string file = testing::TempDir() + "clip-input";
        std::ofstream(file, std::ios::binary) << bytes;
        std::string display = Display();
        char* env[] = {display.data(), nullptr};
        pid_t pid = -1;
        ASSERT_EQ(SpawnQuietly({"xclip", "-quiet", "-selection", selection, "-t", target, file},
                               env, pid),
                  0);
        owners.push_back(pid);
        const char* atom = selection == std::string("primary") ? "PRIMARY" : "CLIPBOARD";
        const Window before = OwnerOf(atom);
        for (auto deadline = std::chrono::steady_clock::now() + 3s;
             std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(5ms))
            if (const Window now = OwnerOf(atom); now != None && now != before)
                return;
        FAIL() << "xclip did not take the " << selection;
    }

    // What `xclip -o` pastes from the clipboard.
    std::string XclipPastes(const char* target = "UTF8_STRING") {
        const std::string command =
            Display() + " timeout 10 xclip -o -selection clipboard -t " + target + " 2>/dev/null";
        std::FILE* pipe = popen(command.c_str(), "r");
        std::string text;
        char buffer[65536];
        for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            text.append(buffer, got);
        pclose(pipe);
        return text;
    }

    std::string Get(ClipboardSelection which = ClipboardSelection::Clipboard) {
        std::string text;
        const DesktopResult result = clipboard->GetText(which, text, [] { return false; });
        EXPECT_TRUE(result.ok) << result.error;
        return text;
    }

    std::unique_ptr<CX11Clipboard> clipboard;
    std::vector<pid_t> owners;
};

TEST_F(ClipboardTest, ReadsWhatAnotherProgramOffers) {
    EXPECT_EQ(Get(), "") << "nothing owns it yet";
    struct Case {
        const char* name;
        std::string bytes;
        const char* selection;
        const char* target;
        std::string expected;
        ClipboardSelection which;
    };
    const Case cases[] = {
        {"UTF-8", "grüße ✓\n", "clipboard", "UTF8_STRING", "grüße ✓\n",
         ClipboardSelection::Clipboard},
        {"Latin-1 only", "caf\xe9", "clipboard", "STRING", "café", ClipboardSelection::Clipboard},
        {"an image only", "\x89PNG\r\n", "clipboard", "image/png", "",
         ClipboardSelection::Clipboard},
        {"the primary selection", "selected", "primary", "UTF8_STRING", "selected",
         ClipboardSelection::Primary},
    };
    for (const Case& c : cases) {
        XclipServes(c.bytes, c.selection, c.target);
        EXPECT_EQ(Get(c.which), c.expected) << c.name;
    }
}

// Larger than one request may carry: INCR chunks both ways.
TEST_F(ClipboardTest, TwoMegabytesRoundTrip) {
    std::string big;
    for (int i = 0; big.size() < (2u << 20); ++i)
        big += "line " + std::to_string(i) + " ✓ ünïcode\n";
    ASSERT_TRUE(clipboard->SetText(big).ok);
    EXPECT_TRUE(XclipPastes() == big) << "xclip pasted something else";
    EXPECT_TRUE(Get() == big);
    EXPECT_EQ(XclipPastes("STRING").substr(0, 21), "line 0 ? \xfcn\xef"
                                                   "code\nline");

    const std::string other = big.substr(7) + "end";
    XclipServes(other);
    EXPECT_TRUE(Get() == other) << "read " << Get().size() << " bytes";
}

// In the desktop program the clipboard outlives each script's engine.
TEST_F(ClipboardTest, TheTextOutlivesTheScript) {
    {
        CCaptureStream stream;
        CScript script(&stream, &stream);
        script.GetEngine()->SetClipboard(clipboard.get());
        ASSERT_TRUE(script.LoadSource("s.tsc", "ClipSet(\"from a script\");"));
        EXPECT_EQ(script.Run(), 0) << script.LastMessage();
    }
    EXPECT_EQ(XclipPastes(), "from a script");
}

// The live processes of `program` on this test's display (their
// environment names it), read from /proc.
std::vector<std::string> ProcessesOnDisplay(const std::string& program,
                                            const std::string& display) {
    namespace fs = std::filesystem;
    std::vector<std::string> found;
    std::error_code ec;
    const fs::path wanted = fs::canonical(program, ec);
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc", ec)) {
        const fs::path dir = entry.path();
        if (fs::read_symlink(dir / "exe", ec) != wanted || ec)
            continue;
        std::ifstream environment(dir / "environ", std::ios::binary);
        const std::string variables((std::istreambuf_iterator<char>(environment)), {});
        std::ifstream statLine(dir / "stat");
        std::string pid, name, state;
        statLine >> pid >> name >> state;
        if (state != "Z" &&
            variables.find(std::string("DISPLAY=") + display + '\0') != std::string::npos)
            found.push_back(dir.string());
    }
    return found;
}

// The script's text is still there for a program that pastes after
// `tessera` ended; the process serving it holds no file or output of ours
// and ends once another program takes the clipboard.
TEST_F(ClipboardTest, TesseraKeepsItsTextAfterItEnds) {
    const std::string file = testing::TempDir() + "clip-set.tsc";
    std::ofstream(file) << "ClipSet(\"kept ✓\");\nPrint(ClipGet());\n";
    const std::string command = Display() + " " + TESSERA_PATH + " " + file + " 2>&1";
    const auto started = std::chrono::steady_clock::now();
    std::FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[256];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, got);
    EXPECT_EQ(pclose(pipe), 0);
    // The end of output came with tessera's end, not the server's.
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    EXPECT_EQ(output, "kept ✓\n");
    EXPECT_EQ(XclipPastes(), "kept ✓");
    EXPECT_EQ(Get(), "kept ✓");
    const std::vector<std::string> keepers = ProcessesOnDisplay(TESSERA_PATH, server->Name());
    ASSERT_EQ(keepers.size(), 1u);
    for (const auto& fd : std::filesystem::directory_iterator(keepers[0] + "/fd")) {
        const std::string target = std::filesystem::read_symlink(fd.path()).string();
        const bool stdio =
            fd.path().filename().string().size() == 1 && fd.path().filename().string() <= "2";
        EXPECT_TRUE(stdio ? target == "/dev/null" : target.rfind("socket:", 0) == 0)
            << fd.path() << " -> " << target;
    }
    // Another program takes it; the one that kept it lets go and ends.
    XclipServes("new");
    EXPECT_EQ(XclipPastes(), "new");
    for (auto deadline = std::chrono::steady_clock::now() + 3s;
         !ProcessesOnDisplay(TESSERA_PATH, server->Name()).empty() &&
         std::chrono::steady_clock::now() < deadline;)
        std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(ProcessesOnDisplay(TESSERA_PATH, server->Name()).empty());
    std::filesystem::remove(file);
}

TEST_F(ClipboardTest, ClipWaitSeesTextArriveAndStops) {
    CCaptureStream stream;
    CScript script(&stream, &stream);
    script.GetEngine()->SetClipboard(clipboard.get());
    ASSERT_TRUE(script.LoadSource("w.tsc", "Print(ClipWait(100));\n"
                                           "Print(ClipWait(5000), ClipGet());\n"
                                           "ClipSet(\"\");\n"
                                           "ClipWait();\n"));
    std::thread worker([&] { script.Run(); });
    std::this_thread::sleep_for(300ms);
    XclipServes("arrived");
    for (auto deadline = std::chrono::steady_clock::now() + 5s;
         stream.Out().find("arrived") == std::string::npos &&
         std::chrono::steady_clock::now() < deadline;)
        std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(50ms); // in the last, endless, wait
    const auto asked = std::chrono::steady_clock::now();
    script.GetEngine()->GetInterpreter()->SetStopFlag();
    worker.join();
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 200ms);
    EXPECT_EQ(stream.Out(), "false\ntruearrived\n");
    EXPECT_EQ(script.Outcome(), ScriptOutcome::Stopped);
}

// An owner that never answers: a clear error in time; a Stop ends a read at
// once, also one waiting for another script's read.
TEST_F(ClipboardTest, AnOwnerThatDoesNotAnswer) {
    const Window silent =
        XCreateSimpleWindow(client, DefaultRootWindow(client), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(client, XInternAtom(client, "CLIPBOARD", False), silent, CurrentTime);
    XSync(client, False);
    const auto started = std::chrono::steady_clock::now();
    DesktopResult waited;
    std::thread other([&] {
        std::string text;
        waited = clipboard->GetText(ClipboardSelection::Clipboard, text, [] { return false; });
    });
    std::this_thread::sleep_for(30ms); // the other read waits for the owner
    for (const bool alone : {false, true}) {
        if (alone)
            other.join();
        const auto asked = std::chrono::steady_clock::now();
        std::string text;
        const DesktopResult stopped = clipboard->GetText(ClipboardSelection::Clipboard, text, [&] {
            return std::chrono::steady_clock::now() - asked > 50ms;
        });
        EXPECT_FALSE(stopped.ok);
        EXPECT_LT(std::chrono::steady_clock::now() - asked, 150ms) << alone;
    }
    EXPECT_EQ(waited.error, "the clipboard's owner did not answer within 2 seconds");
    EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
    // Gone between two reads: the clipboard is empty again.
    XDestroyWindow(client, silent);
    XSync(client, False);
    EXPECT_EQ(Get(), "");
}

} // namespace
