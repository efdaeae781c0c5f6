// Typing speed and correctness: 1,000 characters of mixed ASCII and of
// Cyrillic typed by CX11Desktop::TypeKeys at its default pacing into a
// receiver window on a private Xvfb, under us (Cyrillic through borrowed
// keycodes) and us,ru (through the second group), against `xdotool type`
// (its default 12 ms delay) on the same strings when xdotool is installed.
//
//   build/bin/bench_typing

#include "XvfbServer.h"

#include "x11/X11Desktop.h"

#include <chrono>
#include <cstdio>
#include <future>
#include <spawn.h>
#include <sys/wait.h>

#include "TypingTarget.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::string Repeat(const std::string& piece, size_t characters, size_t pieceCharacters) {
    std::string text;
    for (size_t n = 0; n + pieceCharacters <= characters; n += pieceCharacters)
        text += piece;
    return text;
}

bool RunXdotool(const std::string& display, const std::string& text) {
    std::string displayArg = "DISPLAY=" + display;
    std::string locale = "LC_ALL=C.UTF-8";
    std::vector<char*> env = {displayArg.data(), locale.data(), nullptr};
    std::vector<std::string> args = {"xdotool", "type", "--", text};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t child = -1;
    if (posix_spawnp(&child, "xdotool", nullptr, nullptr, argv.data(), env.data()) != 0)
        return false;
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void Measure(CXvfb& server, const char* label, const std::string& text, size_t characters,
             bool xdotool) {
    CTypingTarget target(server.Name());
    std::unique_ptr<CX11Desktop> desktop;
    if (!xdotool) {
        std::string why;
        desktop = CX11Desktop::Open(&why, {}, server.Name());
        if (!desktop) {
            std::printf("%s: %s\n", label, why.c_str());
            return;
        }
    }
    const auto start = Clock::now();
    auto typing = std::async(std::launch::async, [&] {
        if (xdotool)
            return RunXdotool(server.Name(), text);
        return desktop->TypeKeys(text, KeyPacing{}, {}).ok;
    });
    const std::string received = target.Received(text.size(), std::chrono::seconds(120));
    const bool typed = typing.get();
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::printf("%-40s %7.2f ms/char  %s\n", label, ms / static_cast<double>(characters),
                typed && received == text ? "exact" : "WRONG");
}

} // namespace

int main() {
    CXvfb server;
    if (!server.Running()) {
        std::printf("no Xvfb: %s\n", server.Error().c_str());
        return 1;
    }
    const std::string ascii = Repeat("Hello, World! 0123456789 (x+y)*z=\"q\"; ", 1000, 40);
    const std::string cyrillic = Repeat("\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 "
                                        "\xD0\xBC\xD0\xB8\xD1\x80\xD1\x83 ",
                                        1000, 12);
    const bool haveXdotool = CXvfb::HasProgram("xdotool");
    for (const char* layouts : {"us", "us,ru"}) {
        if (!server.SetKeymap({"-layout", layouts}).empty()) {
            std::printf("setxkbmap failed\n");
            return 1;
        }
        for (const auto& [name, text] :
             {std::pair{"ASCII", ascii}, std::pair{"Cyrillic", cyrillic}}) {
            const std::string label = std::string(layouts) + " " + name;
            Measure(server, (label + " wingmate").c_str(), text, 1000, false);
            if (haveXdotool)
                Measure(server, (label + " xdotool").c_str(), text, 1000, true);
        }
    }
    return 0;
}
