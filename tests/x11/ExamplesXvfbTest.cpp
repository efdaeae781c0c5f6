// The example macros in examples/, each run by `tessera` against real
// programs (xterm, mousepad, openbox) on an Xvfb, and files in a temporary
// folder. A fake `gdbus` on the PATH records the notifications.
#include "XProgram.h"
#include "XvfbServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "DesktopOnXvfb.h"
#include "x11/X11WindowQuery.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct TesseraRun {
    int status = -1;
    std::string out; // standard output and error
};

class ExamplesTest : public CDesktopOnXvfbTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(CDesktopOnXvfbTest::SetUp());
        for (const char* program : {"openbox", "xterm"})
            if (!CXvfb::HasProgram(program))
                GTEST_SKIP() << program << " is needed (Debian packages openbox, xterm)";
        dir = fs::path(testing::TempDir()) / ("examples-" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir / "bin");
        // Records each notification as a line instead of sending it.
        std::ofstream(dir / "bin" / "gdbus")
            << "#!/bin/sh\nprintf '%s\\n' \"$*\" >> '" << (dir / "notifications").string() << "'\n";
        fs::permissions(dir / "bin" / "gdbus", fs::perms::owner_all);
        setenv("GSETTINGS_BACKEND", "memory", 1);
        setenv("NO_AT_BRIDGE", "1", 1);
        setenv("TZ", "UTC", 1);
        // The programs' settings go to the test's folder, not the user's.
        if (const char* home = getenv("HOME"))
            userHome = home;
        setenv("HOME", dir.c_str(), 1);
        openbox = std::make_unique<CProgram>(server.Name(),
                                             std::vector<std::string>{"openbox", "--sm-disable"});
        // openbox misses windows mapped while it starts up: wait until it
        // manages a probe window.
        const Window probe =
            XCreateSimpleWindow(client, DefaultRootWindow(client), 0, 0, 10, 10, 0, 0, 0);
        XMapWindow(client, probe);
        XSync(client, False);
        bool managed = false;
        for (int tries = 0; tries < 1000 && !managed; ++tries) {
            for (unsigned long window :
                 X11ListProperty(client, DefaultRootWindow(client), "_NET_CLIENT_LIST", XA_WINDOW))
                managed = managed || window == probe;
            if (!managed)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        XDestroyWindow(client, probe);
        XSync(client, False);
        ASSERT_TRUE(managed) << "openbox did not start";
    }
    void TearDown() override {
        openbox.reset();
        CDesktopOnXvfbTest::TearDown();
        fs::remove_all(dir);
        setenv("HOME", userHome.c_str(), 1);
    }

    // Runs `example` (a file of examples/, else a script text) with `args`,
    // `input` on standard input.
    TesseraRun Tessera(const std::string& example, const std::string& args = "",
                       const std::string& input = "") {
        // A copy in the test's folder: tessera logs beside the script.
        const std::string file = (dir / "script.tsc").string();
        if (example.find(".tsc") != std::string::npos)
            fs::copy_file(fs::path(EXAMPLES_DIR) / example, file,
                          fs::copy_options::overwrite_existing);
        else
            std::ofstream(file) << example;
        std::ofstream(dir / "input") << input;
        std::ofstream(dir / "args") << args;
        const std::string command = "cd '" + dir.string() + "' && DISPLAY=" + server.Name() +
                                    " PATH='" + (dir / "bin").string() + "':\"$PATH\" " +
                                    TESSERA_PATH + " '" + file +
                                    "' --args \"$(cat args)\" <input >output 2>&1";
        // Into a file, not a pipe: a program the script starts keeps its ends open.
        TesseraRun run;
        const int status = std::system(command.c_str());
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = Slurp(dir / "output");
        return run;
    }

    // Waits up to 5 seconds until `file` holds `text`; what it holds.
    static std::string WaitForText(const fs::path& file, const std::string& text) {
        std::string held;
        for (int tries = 0; tries < 500 && (held = Slurp(file)) != text; ++tries)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return held;
    }

    // An xterm titled `title` whose shell writes the line typed into it to `out`.
    std::unique_ptr<CProgram> LineReader(const std::string& title, const fs::path& out) {
        auto xterm = std::make_unique<CProgram>(
            server.Name(), std::vector<std::string>{"xterm", "-T", title, "-e", "sh", "-c",
                                                    "IFS= read -r l; printf %s \"$l\" > '" +
                                                        out.string() + "'; sleep 5"});
        EXPECT_TRUE(desktop->WinWait(title, 5000, {}));
        return xterm;
    }

    fs::path dir;
    std::string userHome;
    std::unique_ptr<CProgram> openbox;
};

TEST_F(ExamplesTest, CleanSelectionInMousepad) {
    if (!CXvfb::HasProgram("mousepad"))
        GTEST_SKIP() << "mousepad is needed (Debian package mousepad)";
    const fs::path text = dir / "messy.txt";
    std::ofstream(text) << "  Hello    world \n\n\tsecond\t line  \n";
    CProgram mousepad(server.Name(), {"mousepad", "--disable-server", text.string()});
    ASSERT_TRUE(desktop->WinWait("messy.txt", 15000, {}));
    TesseraRun select = Tessera(
        "WinActivate(\"messy.txt\", 5000, \"Mousepad\"); Sleep(300); TypeKeys(\"<CTRL>a\");");
    ASSERT_EQ(select.status, 0) << select.out;
    TesseraRun clean = Tessera("CleanSelection.tsc");
    ASSERT_EQ(clean.status, 0) << clean.out;
    ASSERT_EQ(Tessera("TypeKeys(\"<CTRL>s\");").status, 0);
    EXPECT_EQ(WaitForText(text, "Hello world\nsecond line"), "Hello world\nsecond line");

    // Nothing selected: the clipboard keeps what it held.
    ASSERT_EQ(Tessera("ClipSet(\"kept\"); TypeKeys(\"<CTRL><END>\");").status, 0);
    TesseraRun nothing = Tessera("CleanSelection.tsc");
    EXPECT_EQ(nothing.status, 1) << nothing.out;
    EXPECT_EQ(Tessera("Write(ClipGet());").out, "kept");
}

TEST_F(ExamplesTest, FillFormAndPickSnippetTypeIntoXterm) {
    const fs::path csv = dir / "people.csv";
    std::ofstream(csv) << "name,first,mail\r\nDoe,Jo,jo@example.org\r\n"
                          "\"Smith, \"\"Jr.\"\"\",Ann,a<b@example.org\r\n";
    auto form = LineReader("Sign up", dir / "form");
    TesseraRun fill = Tessera("FillForm.tsc", "\"" + csv.string() + "\",2,\"Sign up\"");
    EXPECT_EQ(fill.status, 0) << fill.out;
    EXPECT_EQ(WaitForText(dir / "form", "Smith, \"Jr.\"\tAnn\ta<b@example.org"),
              "Smith, \"Jr.\"\tAnn\ta<b@example.org");
    EXPECT_EQ(Tessera("FillForm.tsc", "\"" + csv.string() + "\",3,\"Sign up\"").out,
              "The file has no row 3.\n");

    auto snippets = LineReader("Snippets", dir / "snippet");
    ASSERT_TRUE(desktop->WinActivate("Snippets", 5000, {}).ok);
    TesseraRun pick = Tessera("PickSnippet.tsc", "", "2\n");
    EXPECT_EQ(pick.status, 0) << pick.out;
    // The snippet has no line break: Enter ends the line the shell reads.
    ASSERT_EQ(Tessera("TypeKeys(\"<ENTER>\");").status, 0);
    EXPECT_EQ(WaitForText(dir / "snippet", "Thank you for your message."),
              "Thank you for your message.");
}

TEST_F(ExamplesTest, TileWindowsSideBySide) {
    CProgram left(server.Name(), {"xterm", "-T", "Left term", "-e", "sleep", "30"});
    CProgram right(server.Name(), {"xterm", "-T", "Right term", "-e", "sleep", "30"});
    ASSERT_TRUE(desktop->WinWait("Left term", 5000, {}));
    ASSERT_TRUE(desktop->WinWait("Right term", 5000, {}));
    TesseraRun tile = Tessera("TileWindows.tsc", "\"Left term\",\"Right term\"");
    ASSERT_EQ(tile.status, 0) << tile.out;
    WindowRect a, b;
    ASSERT_TRUE(desktop->WinGetPos("Left term", a).ok);
    ASSERT_TRUE(desktop->WinGetPos("Right term", b).ok);
    // xterm sizes in whole character cells: a frame may come out a cell smaller.
    EXPECT_EQ(a.x, 0);
    EXPECT_EQ(a.y, 0);
    EXPECT_NEAR(a.width, 512, 20);
    EXPECT_NEAR(a.height, 768, 30);
    EXPECT_EQ(b.x, 512);
    EXPECT_EQ(b.y, 0);
    EXPECT_NEAR(b.width, 512, 20);
}

TEST_F(ExamplesTest, WaitForDownloadAndNotifyWhenDone) {
    CProgram download(server.Name(), {"xterm", "-T", "Downloading report", "-e", "sleep", "1"});
    TesseraRun wait = Tessera("WaitForDownload.tsc", "\"Downloading\",1");
    EXPECT_EQ(wait.status, 0) << wait.out;
    EXPECT_FALSE(desktop->WinExists("Downloading"));
    EXPECT_NE(wait.out.find("'Downloading' has closed."), std::string::npos) << wait.out;

    TesseraRun job = Tessera("NotifyWhenDone.tsc", "\"sh -c 'exit 3'\"");
    EXPECT_EQ(job.status, 3) << job.out;
    const std::string notes = Slurp(dir / "notifications");
    EXPECT_NE(notes.find("\"Finished\" \"'Downloading' has closed.\""), std::string::npos) << notes;
    EXPECT_NE(
        notes.find("\"Job failed\" \"sh -c 'exit 3' failed (exit status 3) after 0 min 0 s.\""),
        std::string::npos)
        << notes;
}

TEST_F(ExamplesTest, RestartHungProgram) {
    auto hung = std::make_unique<CProgram>(
        server.Name(), std::vector<std::string>{"xterm", "-T", "Hung term", "-e", "sleep", "30"});
    ASSERT_TRUE(desktop->WinWait("Hung term", 5000, {}));
    kill(hung->pid, SIGSTOP);
    TesseraRun restart =
        Tessera("RestartHungProgram.tsc", "\"Hung term\",\"xterm -T 'Hung term' -e sleep 30\"");
    EXPECT_EQ(restart.status, 0) << restart.out;
    int status = 0;
    EXPECT_EQ(waitpid(hung->pid, &status, WNOHANG), hung->pid);
    EXPECT_TRUE(WIFSIGNALED(status));
    hung->pid = -1;
    int64_t pid = 0;
    ASSERT_TRUE(desktop->WinGetPid("Hung term", pid).ok);
    EXPECT_NE(restart.out.find("Restarted: process " + std::to_string(pid)), std::string::npos)
        << restart.out;
    kill(static_cast<pid_t>(pid), SIGTERM);
}

TEST_F(ExamplesTest, ClickWhereAColourAppears) {
    XColor colour{0, 0x2e00, 0xc200, 0x7e00, 0, 0}; // a green button
    ASSERT_TRUE(XAllocColor(client, DefaultColormap(client, DefaultScreen(client)), &colour));
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = colour.pixel;
    const Window patch =
        XCreateWindow(client, DefaultRootWindow(client), 610, 420, 30, 20, 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
    XSelectInput(client, patch, ButtonPressMask);
    XMapWindow(client, patch);
    XSync(client, False);
    TesseraRun click = Tessera("ClickColour.tsc", "\"#2EC27E\",500,300,300,300,5");
    EXPECT_EQ(click.status, 0) << click.out;
    XEvent event{};
    XSync(client, False);
    ASSERT_TRUE(XCheckWindowEvent(client, patch, ButtonPressMask, &event)) << click.out;
    EXPECT_EQ(event.xbutton.button, 1u);
    EXPECT_EQ(click.out, "Clicked at " + std::to_string(event.xbutton.x_root) + ", " +
                             std::to_string(event.xbutton.y_root) + ".\n");
    EXPECT_EQ(Tessera("ClickColour.tsc", "\"#123456\",0,0,40,40,0").status, 1);
}

// No desktop needed: a file:// address stands in for the web service.
TEST_F(ExamplesTest, JsonFromCurlAndRenameByDate) {
    std::ofstream(dir / "reply.json") << R"({"items": [{"id": 42, "name": "Ann"}]})";
    const std::string url = "\"file://" + (dir / "reply.json").string() + "\"";
    EXPECT_EQ(Tessera("JsonFromCurl.tsc", url + ",\"items[0].name\"").out, "Ann\n");
    TesseraRun missing = Tessera("JsonFromCurl.tsc", url + ",\"items[1].id\"");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out.rfind("The reply has no 'items[1].id': ", 0), 0u) << missing.out;
    EXPECT_EQ(Tessera("JsonFromCurl.tsc", "\"file:///nonexistent/x.json\",\"a\"").status, 1);

    const fs::path scans = dir / "scans";
    fs::create_directories(scans);
    for (const char* name :
         {"Invoice 05.11.2026.pdf", "IMG_20261210_0930.jpg", "scan-2026-03-04.png", "notes.txt",
          "bad 31.02.2026.txt", "Anna's 01.02.2026.txt", "x 01.01.2025.txt", "2025-01-01 x.txt",
          "2026-03-04 done.txt"})
        std::ofstream(scans / name) << name;
    TesseraRun rename = Tessera("RenameByDate.tsc", "\"" + scans.string() + "\"");
    EXPECT_EQ(rename.status, 0) << rename.out;
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(scans))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{
                         "2026-11-05 Invoice.pdf", "2026-12-10 IMG_0930.jpg", "2026-03-04 scan.png",
                         "notes.txt", "bad 31.02.2026.txt", "2026-02-01 Anna's.txt",
                         "x 01.01.2025.txt", "2025-01-01 x.txt", "2026-03-04 done.txt"}));
    EXPECT_EQ(Slurp(scans / "2026-11-05 Invoice.pdf"), "Invoice 05.11.2026.pdf");
    EXPECT_EQ(Slurp(scans / "2025-01-01 x.txt"), "2025-01-01 x.txt");
}

} // namespace
