#include "XvfbSuite.h"

#include "fakes/FakeKeyHook.h"
#include "library/MacroLibrary.h"
#include "triggers/KeyHook.h"
#include "triggers/KeyNames.h"
#include "x11/X11Desktop.h"
#include "x11/X11KeyHook.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {

struct Report {
    intptr_t receiver;
    int identifier;
    int code;
    bool operator==(const Report&) const = default;
};

void PrintTo(const Report& r, std::ostream* out) {
    *out << "{" << r.receiver << ", " << r.identifier << ", " << r.code << "}";
}

// What the main window does with reports: queue them for its own thread.
// What the keys type (1350, 1360) is kept only when `typed` is set.
class CReportQueue {
public:
    void Push(intptr_t receiver, int identifier, int code) {
        if (!typed && (identifier == CKeyHook::kTyped || identifier == CKeyHook::kTypingBreak))
            return;
        std::lock_guard lock(mutex);
        reports.push_back({receiver, identifier, code});
        arrived.notify_all();
    }
    // Waits until `count` reports are queued (or 3 s pass) and takes them.
    std::vector<Report> Take(size_t count) {
        std::unique_lock lock(mutex);
        arrived.wait_for(lock, std::chrono::seconds(3), [&] { return reports.size() >= count; });
        std::vector<Report> taken(reports.begin(), reports.end());
        reports.clear();
        return taken;
    }
    bool WaitOne(Report& out, std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex);
        if (!arrived.wait_for(lock, timeout, [&] { return !reports.empty(); }))
            return false;
        out = reports.front();
        reports.pop_front();
        return true;
    }

    bool typed = false;

private:
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<Report> reports;
};

class X11KeyHookTest : public XvfbClientTest {
protected:
    CX11KeyHook::ReportFn QueueReports() {
        return [this](intptr_t receiver, int identifier, int code) {
            queue.Push(receiver, identifier, code);
        };
    }

    CReportQueue queue;
};

constexpr int kDown = CKeyHook::kKeyDown;
constexpr int kUp = CKeyHook::kKeyUp;

// A press also says what it types: the character under Shift, a break for
// a shortcut or a key that types nothing, a line end for Return.
TEST_F(X11KeyHookTest, ReportsKeysAsVirtualKeyCodesInOrder) {
    queue.typed = true;
    CX11KeyHook hook(QueueReports(), server->Name());
    hook.SetHandle(7);
    hook.SetType(1);
    hook.InitKeybHook(0);
    ASSERT_TRUE(hook.Running()) << hook.LastError();

    SendKey(client, XK_Control_L, true);
    SendKey(client, XK_Alt_L, true);
    TapKey(client, XK_x);
    SendKey(client, XK_Alt_L, false);
    SendKey(client, XK_Control_L, false);
    SendKey(client, XK_Shift_R, true);
    TapKey(client, XK_1);
    SendKey(client, XK_Shift_R, false);
    TapKey(client, XK_F5);
    TapKey(client, XK_Return);
    TapKey(client, XK_semicolon);
    constexpr int kTyped = CKeyHook::kTyped, kBreak = CKeyHook::kTypingBreak;
    const std::vector<Report> expected = {
        {7, kDown, vk::Ctrl},   {7, kDown, vk::Alt}, {7, kDown, 'X'},      {7, kBreak, 0},
        {7, kUp, 'X'},          {7, kUp, vk::Alt},   {7, kUp, vk::Ctrl},   {7, kDown, vk::Shift},
        {7, kDown, '1'},        {7, kTyped, '!'},    {7, kUp, '1'},        {7, kUp, vk::Shift},
        {7, kDown, vk::F1 + 4}, {7, kBreak, 0},      {7, kUp, vk::F1 + 4}, {7, kDown, vk::Enter},
        {7, kTyped, '\n'},      {7, kUp, vk::Enter}, {7, kDown, 186},      {7, kTyped, ';'},
        {7, kUp, 186}};
    EXPECT_EQ(queue.Take(expected.size()), expected);
}

// The receiver and type are read when a key arrives on the hook thread, so
// each phase waits until its keys have surely been seen there.
TEST_F(X11KeyHookTest, ReportsNothingWithoutReceiverOrTypeOrAfterRelease) {
    const auto settle = [] { std::this_thread::sleep_for(std::chrono::milliseconds(100)); };
    CX11KeyHook hook(QueueReports(), server->Name());
    hook.SetType(1);
    hook.InitKeybHook(0);
    ASSERT_TRUE(hook.Running()) << hook.LastError();
    TapKey(client, XK_a); // no receiver
    settle();
    hook.SetHandle(3);
    hook.SetType(0);
    TapKey(client, XK_b); // stopped type
    settle();
    hook.SetType(1);
    TapKey(client, XK_c);
    EXPECT_EQ(queue.Take(2), (std::vector<Report>{{3, kDown, 'C'}, {3, kUp, 'C'}}));
    hook.ReleaseKeybHook();
    EXPECT_FALSE(hook.Running());
    TapKey(client, XK_d); // stopped: ReleaseKeybHook has joined the thread
    Report late{};
    EXPECT_FALSE(queue.WaitOne(late, std::chrono::milliseconds(150)));
}

// Descriptors open now: number and whether it closes on exec.
std::map<int, bool> OpenDescriptors() {
    std::map<int, bool> open;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        const int fd = std::stoi(entry.path().filename().string());
        const int flags = fcntl(fd, F_GETFD);
        if (flags >= 0)
            open[fd] = (flags & FD_CLOEXEC) != 0;
    }
    return open;
}

// Programs that macros start must not inherit the hook's or playback's
// descriptors (the wake pipe, the X connections).
TEST_F(X11KeyHookTest, OpensEveryDescriptorCloseOnExec) {
    const std::map<int, bool> before = OpenDescriptors();
    CX11KeyHook hook(QueueReports(), server->Name());
    hook.InitKeybHook(0);
    ASSERT_TRUE(hook.Running()) << hook.LastError();
    std::string why;
    auto desktop = CX11Desktop::Open(&why, {}, server->Name());
    ASSERT_NE(desktop, nullptr) << why;
    int opened = 0;
    for (const auto& [fd, closesOnExec] : OpenDescriptors()) {
        if (before.count(fd))
            continue;
        ++opened;
        EXPECT_TRUE(closesOnExec) << "descriptor " << fd;
    }
    EXPECT_GE(opened, 5); // two hook connections, the wake pipe, playback's connection
}

TEST_F(X11KeyHookTest, StartsAndStopsAnyNumberOfTimes) {
    CX11KeyHook hook(QueueReports(), server->Name());
    hook.SetHandle(1);
    hook.SetType(1);
    for (int round = 0; round < 20; ++round) {
        hook.InitKeybHook(0);
        ASSERT_TRUE(hook.Running()) << "round " << round << ": " << hook.LastError();
        TapKey(client, XK_q);
        ASSERT_EQ(queue.Take(2), (std::vector<Report>{{1, kDown, 'Q'}, {1, kUp, 'Q'}}))
            << "round " << round;
        if (round % 2)
            hook.ReleaseKeybHook(); // odd rounds stop explicitly, even ones restart
    }
}

// A CKeyHook wired as the main window wires it: reports queued by the hook
// thread, handled on this (the "user-interface") thread.
TEST_F(X11KeyHookTest, AChordThroughXTestStartsTheMatchingMacro) {
    CMacroLibrary lib;
    CMacro root;
    root.kind = 2;
    const int32_t rootId = lib.InsertRecord(root, -1, InsertPosition::Into);
    CMacro macro;
    macro.triggerKey = "<K><CTRL><ALT>";
    const int32_t id = lib.InsertRecord(macro, rootId, InsertPosition::Into);

    CX11KeyHook port(QueueReports(), server->Name());
    CRecordingMacroStarter starter;
    CKeyHook hook(port, lib, starter, [] { return true; });
    hook.SetMainWindow(99);
    hook.ResetKeys();
    ASSERT_EQ(hook.Install(), 1);
    ASSERT_TRUE(port.Running()) << port.LastError();

    SendKey(client, XK_Control_L, true);
    SendKey(client, XK_Alt_L, true);
    SendKey(client, XK_k, true);
    Report report{};
    for (int handled = 0; handled < 3 && queue.WaitOne(report, std::chrono::seconds(3));
         ++handled) {
        EXPECT_EQ(report.receiver, 99);
        hook.OnHookCommand(report.identifier, report.code);
    }
    EXPECT_EQ(starter.calls,
              (std::vector<std::string>{"Enqueue " + std::to_string(id), "RunNext"}));
    // The hook was reinstalled after the start and still reports.
    EXPECT_TRUE(port.Running());
    SendKey(client, XK_k, false);
    ASSERT_TRUE(queue.WaitOne(report, std::chrono::seconds(3)));
    EXPECT_EQ(report, (Report{99, kUp, 'K'}));
    SendKey(client, XK_Alt_L, false);
    SendKey(client, XK_Control_L, false);
    hook.Release();
}

TEST(X11KeyHookWithoutServer, SaysWhatIsMissing) {
    EXPECT_EQ(CX11KeyHook::Probe(":9997"),
              "Trigger keys are unavailable: cannot open the X display ':9997'.");
    CX11KeyHook hook({}, ":9997");
    hook.InitKeybHook(0);
    EXPECT_FALSE(hook.Running());
    EXPECT_EQ(hook.LastError(), "Trigger keys are unavailable: cannot open the X display ':9997'.");

    const char* saved = std::getenv("DISPLAY");
    const std::string previous = saved ? saved : "";
    unsetenv("DISPLAY");
    std::string why;
    std::unique_ptr<IKeyHook> fallback = MakeKeyHook({}, &why);
    EXPECT_EQ(why, "Trigger keys are unavailable: DISPLAY is not set.");
    ASSERT_NE(fallback, nullptr);
    fallback->InitKeybHook(0); // the null hook accepts everything
    fallback->ReleaseKeybHook();
    if (saved)
        setenv("DISPLAY", previous.c_str(), 1);
}

TEST(X11KeyHookWithoutRecord, SaysTheExtensionIsMissing) {
    CXvfb server({"-extension", "RECORD"});
    REQUIRE_XVFB(server);
    EXPECT_EQ(CX11KeyHook::Probe(server.Name()), "Trigger keys are unavailable: the X server on '" +
                                                     server.Name() +
                                                     "' lacks the RECORD extension.");
}

} // namespace
