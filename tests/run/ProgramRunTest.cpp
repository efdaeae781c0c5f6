// Record Declarations and the real POSIX process launcher.

#include "program/DeclarationsRecorder.h"
#include "fakes/FakeProcessLauncher.h"
#include "fakes/Fakes.h"
#include "fakes/TestSupport.h"
#include "run/PosixProcessLauncher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

TEST(DeclarationsRecorder, StartsGlimmerFromTheHomeFolderOrSaysWhy) {
    CRecordingLauncher launcher;
    CRecordingMessageBox messages;
    EXPECT_TRUE(StartDeclarationsRecorder("/home/me/Wingmate", launcher, messages, ""));
    EXPECT_EQ(launcher.calls, std::vector<std::string>{"/home/me/Wingmate/Glimmer"});
    EXPECT_TRUE(messages.shown.empty());

    launcher.result = {false, ENOENT};
    EXPECT_FALSE(StartDeclarationsRecorder("/home/me/Wingmate", launcher, messages, ""));
    launcher.result = {false, EACCES};
    EXPECT_FALSE(StartDeclarationsRecorder("/home/me/Wingmate", launcher, messages, ""));
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text,
              "Could Not Find File: /home/me/Wingmate/Glimmer\nPlace this file in the "
              "application's residence directory");
    EXPECT_EQ(messages.shown[1].text,
              "Unknown Error.  Could not execute /home/me/Wingmate/Glimmer");
    EXPECT_EQ(messages.shown[1].title, "Wingmate Error");
}

// Without one in the home folder, the Glimmer installed beside the program
// runs; the home folder's own copy wins over it.
TEST(DeclarationsRecorder, TakesTheInstalledGlimmerWhenTheHomeHasNone) {
    const fs::path root = fs::temp_directory_path() / ("glimmer-path-" + std::to_string(getpid()));
    fs::create_directories(root / "home");
    fs::create_directories(root / "bin");
    const std::string home = (root / "home").string(), bin = (root / "bin").string();
    EXPECT_EQ(DeclarationsRecorderPath(home, bin), home + "/Glimmer");
    std::ofstream(bin + "/Glimmer") << "x";
    EXPECT_EQ(DeclarationsRecorderPath(home, bin), bin + "/Glimmer");
    std::ofstream(home + "/Glimmer") << "x";
    EXPECT_EQ(DeclarationsRecorderPath(home, bin), home + "/Glimmer");
    fs::remove_all(root);
}

bool WaitForFile(const fs::path& path) {
    for (int i = 0; i < 200; ++i) {
        std::error_code error;
        if (fs::file_size(path, error) > 0 && !error)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// A descriptor of ours, even one without close-on-exec, never reaches a
// launched program.
TEST(PosixProcessLauncher, TheProgramInheritsNoDescriptorOfOurs) {
    const fs::path dir = fs::temp_directory_path() / ("launch-fd-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path out = dir / "fds.txt";
    // A high number no program opens by itself; no O_CLOEXEC on purpose.
    constexpr int kOurs = 57;
    ASSERT_EQ(::dup2(STDERR_FILENO, kOurs), kOurs);
    CPosixProcessLauncher launcher;
    const LaunchResult result = launcher.Launch(
        "sh", {"-c", "ls /proc/self/fd > \"$1.tmp\"; mv \"$1.tmp\" \"$1\"", "sh", out.string()});
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_TRUE(WaitForFile(out));
    std::ifstream in(out);
    std::vector<int> open;
    for (int fd; in >> fd;)
        open.push_back(fd);
    ::close(kOurs);
    fs::remove_all(dir);
    ASSERT_FALSE(open.empty());
    EXPECT_EQ(std::count(open.begin(), open.end(), kOurs), 0) << "our descriptor reached it";
}

TEST(PosixProcessLauncher, StartsDetachedInANewSessionWithoutAShell) {
    const fs::path dir = fs::temp_directory_path() / ("launch-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path out = dir / "out.txt";
    CPosixProcessLauncher launcher;
    // The words reach the program as they are: no shell expands "$$".
    const LaunchResult result = launcher.Launch(
        "sh", {"-c", "ps -o sid= -p $$ > \"$1\"; echo \"$2\" >> \"$1\"", "sh", out.string(), "$$"});
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_TRUE(WaitForFile(out));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::ifstream in(out);
    long sid = 0;
    std::string literal;
    in >> sid >> literal;
    EXPECT_NE(sid, long(::getsid(0))) << "the child has a session of its own";
    EXPECT_EQ(literal, "$$");
    fs::remove_all(dir);
}

TEST(PosixProcessLauncher, MissingProgramsFailWithTheirCause) {
    CPosixProcessLauncher launcher;
    const LaunchResult missingPath = launcher.Launch("/nonexistent/prog", {});
    EXPECT_FALSE(missingPath.ok);
    EXPECT_EQ(missingPath.error, ENOENT);
    const LaunchResult missingName = launcher.Launch("no-such-program-wingmate", {});
    EXPECT_FALSE(missingName.ok);
    EXPECT_EQ(missingName.error, ENOENT);
    EXPECT_FALSE(launcher.Launch("", {}).ok);
}

} // namespace
