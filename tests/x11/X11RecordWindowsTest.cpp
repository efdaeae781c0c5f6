// What a recording says of windows, replayed where it matters: the title a
// window had when the key was typed (not the modified mark the key made),
// and clicks and wheel notches inside a window that has moved since.
#include "XvfbSuite.h"

#include "engine/Engine.h"
#include "record/Recorder.h"
#include "x11/X11Desktop.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "CtrlZRecording.h"
#include "TypingTarget.h"

namespace {

class RecordWindows : public XvfbSuiteTest {};

TEST_F(RecordWindows, ReplayFindsTheTitleOfTheKeysTimeAndTheMovedWindowsSpots) {
    REQUIRE_XVFB(*server);
    std::string why;
    auto desktop = CX11Desktop::Open(&why, {}, server->Name());
    ASSERT_NE(desktop, nullptr) << why;
    CTypingTarget target(server->Name());
    ASSERT_NE(target.display, nullptr);
    XStoreName(target.display, target.window, "m.txt - Ed");
    XSync(target.display, False);

    CCtrlZRecording recording(server->Name());
    recording.recorder.SetTruncState(0); // whole titles
    ASSERT_EQ(recording.recorder.Start(), "");
    const KeyPacing pacing{2, 2};
    // The editor marks its title modified right after the first key, and
    // the recorder can only look at windows after that: this client holds
    // the server from the key until the title has changed.
    Display* editor = XOpenDisplay(server->Name().c_str());
    ASSERT_NE(editor, nullptr);
    XGrabServer(editor);
    PressKey(editor, XKeysymToKeycode(editor, XK_a));
    std::this_thread::sleep_for(std::chrono::milliseconds(3)); // a later server time
    XStoreName(editor, target.window, "*m.txt - Ed");
    XUngrabServer(editor);
    XCloseDisplay(editor);
    ASSERT_TRUE(desktop->TypeKeys("b", pacing, {}).ok);
    ASSERT_TRUE(desktop->MouseClick(60, 50, MouseButton::Left).ok);
    ASSERT_TRUE(desktop->MouseMove(100, 90).ok);
    ASSERT_TRUE(desktop->MouseWheel(-2).ok);
    ASSERT_TRUE(desktop->TypeKeys("<CTRL>z", pacing, {}).ok);
    EXPECT_EQ(target.Received(2), "ab");
    recording.PumpUntilStopped(500);
    recording.recorder.ReleaseHooks();
    const std::vector<std::string> clicks = target.clicks;
    ASSERT_EQ(clicks.size(), 6u); // a click and two notches, down and up
    const std::vector<std::string>& lines = recording.sink.lines;
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], R"(WinWait("m.txt - Ed", 5000);)");
    EXPECT_EQ(lines[1], R"(WinActivate("m.txt - Ed");)");
    EXPECT_EQ(lines[2], R"(TypeKeys("ab");)");
    std::string script;
    for (const std::string& line : lines)
        script += line + "\n";

    // A fresh, unmodified editor window somewhere else.
    CTypingTarget fresh(server->Name());
    ASSERT_NE(fresh.display, nullptr);
    XStoreName(fresh.display, fresh.window, "m.txt - Ed");
    XMoveWindow(fresh.display, fresh.window, 170, 130);
    XSync(fresh.display, False);
    XDestroyWindow(target.display, target.window);
    XSync(target.display, False);
    ssi_stream stream;
    CScript replay(&stream, &stream);
    replay.GetEngine()->SetDesktop(desktop.get());
    ASSERT_TRUE(replay.LoadSource("recorded.tsc", script)) << script;
    auto running = std::async(std::launch::async, [&] { return replay.Run(); });
    std::string replayed = fresh.Received(2);
    EXPECT_EQ(running.get(), 0) << replay.LastMessage() << "\n" << script;
    replayed += fresh.Received(0);
    EXPECT_EQ(replayed, "ab") << script;
    EXPECT_EQ(fresh.clicks, clicks) << script;
}

} // namespace
