// Glimmer against a real X server: the record of a window it is pointed at,
// and of a window the user clicks.

#include "XvfbSuite.h"
#include "fakes/TestFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

// Starts Glimmer with `args`; its output goes to `log`.
pid_t StartGlimmer(const std::vector<std::string>& args, const fs::path& log,
                   bool withDisplay = true) {
    std::vector<std::string> all{GLIMMER_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : all)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStrings{"PATH=/usr/bin:/bin", "QT_QPA_PLATFORM=offscreen"};
    if (!withDisplay)
        envStrings.push_back("HOME=/tmp");
    std::vector<char*> env;
    for (auto& e : envStrings)
        env.push_back(e.data());
    env.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), env.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int WaitExit(pid_t pid) {
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

class GlimmerXvfbTest : public XvfbClientTest {
protected:
    void SetUp() override {
        XvfbClientTest::SetUp();
        dir = fs::temp_directory_path() /
              ("glimmer-x-" + std::to_string(::getpid()) + "-" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        fs::remove_all(dir);
        XvfbClientTest::TearDown();
    }
    Window MakeWindow(const char* title, const char* instance, const char* cls) {
        const Window window =
            XCreateSimpleWindow(client, DefaultRootWindow(client), 20, 20, 200, 150, 0, 0, 0);
        // The title as a desktop sets it: UTF-8 in _NET_WM_NAME, a plain WM_NAME.
        const Atom utf8 = XInternAtom(client, "UTF8_STRING", False);
        XChangeProperty(client, window, XInternAtom(client, "_NET_WM_NAME", False), utf8, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(title), static_cast<int>(std::strlen(title)));
        XStoreName(client, window, "plain name");
        XClassHint hint{const_cast<char*>(instance), const_cast<char*>(cls)};
        XSetClassHint(client, window, &hint);
        XMapRaised(client, window);
        XSync(client, False);
        return window;
    }
    std::vector<std::string> DisplayArgs() const { return {"--display", server->Name()}; }
    fs::path dir;
};

TEST_F(GlimmerXvfbTest, RecordsTheWindowItIsPointedAt) {
    const Window window = MakeWindow("Notes – draft", "notes", "Notes.App");
    std::vector<std::string> args = DisplayArgs();
    args.insert(args.end(), {"--window", std::to_string(window), (dir / "w.dec").string()});
    EXPECT_EQ(WaitExit(StartGlimmer(args, dir / "log")), 0) << ReadFile(dir / "log");
    EXPECT_EQ(ReadFile(dir / "w.dec"), "[ ]Window \"Notes_App\"\n\t( )Tag=\"Notes – draft\"\n\t( "
                                       ")Class=\"Notes.App\"\n\t( )Parent=1\n"
                                       "\t( )Child=0\n");

    args.back() = (dir / "w.dec").string();
    EXPECT_EQ(WaitExit(StartGlimmer(args, dir / "log")), 0) << ReadFile(dir / "log");
    EXPECT_NE(ReadFile(dir / "w.dec").find("[ ]Window \"Notes_App2\""), std::string::npos);
}

TEST_F(GlimmerXvfbTest, RecordsTheWindowTheUserClicks) {
    MakeWindow("Clicked", "clicked", "ClickMe");
    std::vector<std::string> args = DisplayArgs();
    args.push_back((dir / "c.dec").string());
    const pid_t pid = StartGlimmer(args, dir / "log");
    ASSERT_GT(pid, 0);
    // Glimmer holds the pointer once it waits for the click.
    bool grabbed = false;
    for (int i = 0; i < 500 && !grabbed; ++i) {
        const int result = XGrabPointer(client, DefaultRootWindow(client), False, ButtonPressMask,
                                        GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
        if (result == GrabSuccess)
            XUngrabPointer(client, CurrentTime);
        XSync(client, False);
        grabbed = result == AlreadyGrabbed;
        if (!grabbed)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(grabbed) << ReadFile(dir / "log");
    XTestFakeMotionEvent(client, -1, 100, 100, CurrentTime);
    XTestFakeButtonEvent(client, 1, True, CurrentTime);
    XTestFakeButtonEvent(client, 1, False, CurrentTime);
    XSync(client, False);
    EXPECT_EQ(WaitExit(pid), 0) << ReadFile(dir / "log");
    EXPECT_NE(ReadFile(dir / "c.dec").find("[ ]Window \"ClickMe\"\n\t( )Tag=\"Clicked\""),
              std::string::npos)
        << ReadFile(dir / "c.dec");
}

TEST_F(GlimmerXvfbTest, FailsClearlyWithoutADisplayOrAWindow) {
    const fs::path file = dir / "w.dec";
    EXPECT_EQ(WaitExit(StartGlimmer({"--window", "0x1234", file.string()}, dir / "log", false)), 1);
    EXPECT_NE(ReadFile(dir / "log").find("no X display"), std::string::npos)
        << ReadFile(dir / "log");

    std::vector<std::string> args = DisplayArgs();
    args.insert(args.end(), {"--window", "0x7ffffff0", file.string()});
    EXPECT_EQ(WaitExit(StartGlimmer(args, dir / "log")), 1);
    EXPECT_NE(ReadFile(dir / "log").find("there is no window 0x7ffffff0"), std::string::npos)
        << ReadFile(dir / "log");
    EXPECT_FALSE(fs::exists(file));
}

} // namespace
