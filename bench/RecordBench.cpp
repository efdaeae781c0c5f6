// Recorder speed: translating a recording of 10,000 events, and, on a private
// Xvfb, the time from an XTest key press (or click) to its script line at the
// script view, through RECORD, the recorder's queue and Pump on a separate
// "user-interface" thread.
//
//   build/bin/bench_record [presses]

#include "XvfbServer.h"

#include "record/Recorder.h"
#include "record/ScriptTranslator.h"
#include "triggers/KeyNames.h"
#include "x11/X11RecordSource.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// 10,000 events as a user makes them: typing with shifted letters and named
// keys, chords, pointer motion, clicks, drags and window changes.
std::vector<RecordedEvent> SyntheticRecording() {
    std::vector<RecordedEvent> events;
    int64_t t = 0;
    auto add = [&](RecordedEvent::Kind kind, int code = 0, std::string text = {}) {
        RecordedEvent event;
        event.kind = kind;
        event.timeMs = t += 40;
        event.keyCode = code;
        event.text = std::move(text);
        event.x = static_cast<int>(t % 1000);
        event.y = static_cast<int>(t % 700);
        event.button = 1;
        event.title = "document " + std::to_string(t % 3) + " - Editor";
        events.push_back(std::move(event));
    };
    using K = RecordedEvent::Kind;
    while (events.size() < 10000) {
        for (char c : std::string("Hello, world")) {
            add(K::KeyDown, std::toupper(c), std::string(1, c));
            add(K::KeyUp, std::toupper(c));
        }
        add(K::KeyDown, vk::Enter, "\r");
        add(K::KeyUp, vk::Enter);
        add(K::KeyDown, vk::Ctrl);
        add(K::KeyDown, 'S', "\x13");
        add(K::KeyUp, 'S');
        add(K::KeyUp, vk::Ctrl);
        for (int i = 0; i < 20; ++i)
            add(K::Motion);
        add(K::ButtonDown);
        add(K::ButtonUp);
        add(K::ButtonDown);
        add(K::Motion);
        add(K::Motion);
        add(K::ButtonUp);
        add(K::WindowChange);
    }
    events.resize(10000);
    return events;
}

void BenchTranslation() {
    const std::vector<RecordedEvent> events = SyntheticRecording();
    std::vector<double> runs;
    size_t lineCount = 0;
    for (int run = 0; run < 30; ++run) {
        TranslatorSettings settings;
        settings.defaultDelay = 100;
        settings.sleepWhenIdle = true;
        settings.idleSeconds = 5;
        settings.stopModifier = vk::Ctrl;
        settings.stopKey = 'Z';
        const auto start = Clock::now();
        CScriptTranslator translator(settings);
        std::vector<std::string> lines;
        for (const RecordedEvent& event : events)
            translator.Feed(event, lines);
        translator.Finish(lines);
        runs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        lineCount = lines.size();
    }
    std::printf("translate 10,000 events (%zu lines): median %.2f ms over %zu runs\n", lineCount,
                Median(runs), runs.size());
}

// The script view: notes when the pending line or a finished line changed.
class CTimedView : public IScriptSink, public IRecordOwner {
public:
    void AppendLine(const std::string&) override { Note(); }
    void ShowPendingLine(const std::string& line) override {
        if (line != pending) {
            pending = line;
            Note();
        }
    }
    void PostCommand(unsigned) override {}
    void Note() {
        std::lock_guard lock(mutex);
        ++changes;
        changed.notify_all();
    }
    void Wake() {
        std::lock_guard lock(mutex);
        woken = true;
        changed.notify_all();
    }
    // The user-interface thread: pumps whenever the recorder wakes it.
    void Loop(CRecorder& recorder) {
        std::unique_lock lock(mutex);
        while (!stop) {
            changed.wait(lock, [&] { return stop || woken; });
            woken = false;
            lock.unlock();
            recorder.Pump();
            lock.lock();
        }
    }
    // Waits until the view changed after `before` changes; the moment then.
    bool WaitChange(int before, Clock::time_point& at) {
        std::unique_lock lock(mutex);
        if (!changed.wait_for(lock, std::chrono::seconds(2), [&] { return changes > before; }))
            return false;
        at = Clock::now();
        return true;
    }
    int Changes() {
        std::lock_guard lock(mutex);
        return changes;
    }

    std::mutex mutex;
    std::condition_variable changed;
    bool stop = false;
    bool woken = false;
    int changes = 0;
    std::string pending;
};

void BenchLatency(int presses) {
    CXvfb server;
    if (!server.Running()) {
        std::printf("latency: skipped (%s)\n", server.Error().c_str());
        return;
    }
    Display* display = XOpenDisplay(server.Name().c_str());
    CX11RecordSource source(server.Name());
    CRecorder recorder(source);
    CTimedView view;
    recorder.SetWake([&view] { view.Wake(); });
    RecordInitT init;
    init.scriptView = &view;
    init.owner = &view;
    init.stopModifier = vk::Ctrl;
    init.stopKey = 'Z';
    recorder.Init(init);
    if (const std::string why = recorder.Start(); !why.empty()) {
        std::printf("latency: skipped (%s)\n", why.c_str());
        return;
    }
    std::thread ui([&] { view.Loop(recorder); });
    const unsigned keycode = XKeysymToKeycode(display, XK_a);
    std::vector<double> keys, clicks;
    for (int i = 0; i < presses; ++i) {
        const int before = view.Changes();
        const auto start = Clock::now();
        // Synced as the key hook's bench does: the server hands recorded
        // data out when it next flushes its clients' output.
        XTestFakeKeyEvent(display, keycode, True, CurrentTime);
        XSync(display, False);
        Clock::time_point at;
        if (view.WaitChange(before, at))
            keys.push_back(std::chrono::duration<double, std::milli>(at - start).count());
        XTestFakeKeyEvent(display, keycode, False, CurrentTime);
        XSync(display, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    for (int i = 0; i < presses / 4; ++i) {
        XTestFakeMotionEvent(display, 0, 10 + i % 100, 20, CurrentTime);
        XSync(display, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        XTestFakeButtonEvent(display, 1, True, CurrentTime);
        XSync(display, False);
        // The press writes nothing but the typing run before it; the release
        // writes the click.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const int before = view.Changes();
        const auto start = Clock::now();
        XTestFakeButtonEvent(display, 1, False, CurrentTime);
        XSync(display, False);
        Clock::time_point at;
        if (view.WaitChange(before, at))
            clicks.push_back(std::chrono::duration<double, std::milli>(at - start).count());
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    {
        std::lock_guard lock(view.mutex);
        view.stop = true;
        view.changed.notify_all();
    }
    ui.join();
    recorder.ReleaseHooks();
    XCloseDisplay(display);
    std::printf("key press to its text in the script view: median %.3f ms over %zu presses\n",
                Median(keys), keys.size());
    std::printf("click (button release) to its line: median %.3f ms over %zu clicks\n",
                Median(clicks), clicks.size());
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const int presses = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    BenchTranslation();
    BenchLatency(presses);
    return 0;
}
