// Every way a script ends lets go of what playback pressed: a Stop between
// keys, SIGTERM, SIGINT and SIGHUP to `tessera`, a runtime error.
#include "XvfbSuite.h"

#include "fakes/TestSupport.h"
#include "x11/X11Desktop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <X11/Xlib.h>

extern char** environ;

namespace {

using namespace std::chrono_literals;

class StopTest : public XvfbClientTest {
protected:
    // The keys down and the pointer buttons held on the server now.
    std::string HeldNow() {
        char keys[32] = {};
        XQueryKeymap(client, keys);
        std::string held;
        for (int keycode = 8; keycode < 256; ++keycode)
            if ((keys[keycode / 8] >> (keycode % 8)) & 1)
                held += "key " + std::to_string(keycode) + " ";
        Window root, child;
        int rootX, rootY, x, y;
        unsigned mask = 0;
        XQueryPointer(client, DefaultRootWindow(client), &root, &child, &rootX, &rootY, &x, &y,
                      &mask);
        if (mask & (Button1Mask | Button2Mask | Button3Mask))
            held += "button";
        return held;
    }
};

TEST_F(StopTest, AStopBetweenKeysEndsTypingWithNothingHeld) {
    std::string why;
    auto desktop = CX11Desktop::Open(&why, {}, server->Name());
    ASSERT_NE(desktop, nullptr) << why;
    std::atomic<int> polls{0};
    const auto started = std::chrono::steady_clock::now();
    const DesktopResult result =
        desktop->TypeKeys(std::string(2000, 'A'), KeyPacing{2, 2}, [&] { return ++polls > 20; });
    EXPECT_TRUE(result.ok) << result.error;
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s) << "typing went on after the stop";
    EXPECT_EQ(HeldNow(), "");
}

struct SignalCase {
    std::string label;
    std::string script;
    int signal; // 0: none, the script ends by itself
};

class TesseraStops : public StopTest, public ::testing::WithParamInterface<SignalCase> {};

TEST_P(TesseraStops, NothingIsLeftHeld) {
    const std::string file = testing::TempDir() + "stop-" + GetParam().label + ".tsr";
    std::ofstream(file) << GetParam().script;
    std::string display = "DISPLAY=" + server->Name();
    std::vector<char*> env = {display.data(), nullptr};
    std::string program = TESSERA_PATH;
    std::vector<char*> argv = {program.data(), const_cast<char*>(file.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = -1;
    ASSERT_EQ(posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), env.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
    const auto started = std::chrono::steady_clock::now();
    if (GetParam().signal) {
        std::this_thread::sleep_for(700ms); // typing capitals by then
        kill(child, GetParam().signal);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s) << "the script went on";
    if (GetParam().signal == SIGTERM || GetParam().signal == SIGHUP) {
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == GetParam().signal);
    }
    EXPECT_EQ(HeldNow(), "");
    std::filesystem::remove(file);
}

const std::string kLongCapitals =
    "SetKeyDelay(3, 3);\nTypeKeys(\"" + std::string(3000, 'Q') + "\");\n";

INSTANTIATE_TEST_SUITE_P(
    Endings, TesseraStops,
    ::testing::Values(SignalCase{"Term", kLongCapitals, SIGTERM},
                      SignalCase{"Int", kLongCapitals, SIGINT},
                      SignalCase{"Hup", kLongCapitals, SIGHUP},
                      SignalCase{"ErrorWithButtonDown",
                                 "MouseDown(1);\nTypeKeys(\"<SHIFT>\");\nSleep(100);\n"
                                 "TypeKeys(\"\\x01\");\n",
                                 0},
                      SignalCase{"EndWithButtonDown", "MouseDown(3);\n", 0}),
    LabelName());

} // namespace
