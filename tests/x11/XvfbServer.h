#pragma once
// Test helpers for a real X server: an Xvfb started on a free display and
// stopped afterwards, and keys sent through XTest.

#include <string>
#include <sys/types.h>
#include <vector>

// Xlib's Display; X11 headers define None and Bool, so tests include them
// after every project and GoogleTest header.
struct _XDisplay;

class CXvfb {
public:
    // Starts Xvfb on a display it picks itself (-displayfd), so parallel test
    // runs never collide. `extraArgs` e.g. {"-extension", "RECORD"}.
    explicit CXvfb(const std::vector<std::string>& extraArgs = {});
    ~CXvfb();
    CXvfb(const CXvfb&) = delete;
    CXvfb& operator=(const CXvfb&) = delete;

    // True when the Xvfb program is on the PATH.
    static bool Installed();
    // True when `program` is on the PATH.
    static bool HasProgram(const char* program);
    // Runs setxkbmap for this server with `args` ("-layout", "us,ru"); the
    // error text when it failed.
    std::string SetKeymap(const std::vector<std::string>& args) const;

    bool Running() const { return !name.empty(); }
    const std::string& Name() const { return name; } // ":N"
    const std::string& Error() const { return error; }

private:
    pid_t pid = -1;
    std::string name;
    std::string error;
};

// Starts `args` (the program from the PATH) with environment `env`, its
// output to /dev/null; the posix_spawn error, 0 when it started.
int SpawnQuietly(std::vector<std::string> args, char** env, pid_t& pid);

// Presses or releases the key of `keysym` through XTest and waits until the
// server has it.
void SendKey(_XDisplay* display, unsigned long keysym, bool down);
void TapKey(_XDisplay* display, unsigned long keysym);

#define REQUIRE_XVFB(server)                                                                       \
    do {                                                                                           \
        if (!CXvfb::Installed())                                                                   \
            GTEST_SKIP() << "Xvfb is not installed (Debian package xvfb); X11 tests skipped";      \
        ASSERT_TRUE((server).Running()) << (server).Error();                                       \
    } while (0)
