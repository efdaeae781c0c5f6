#include "record/Recorder.h"

#include "triggers/KeyNames.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

class CFakeRecordSource : public IRecordSource {
public:
    std::string Start(EventFn onEvent) override {
        ++starts;
        if (!failWith.empty())
            return failWith;
        report = std::move(onEvent);
        return {};
    }
    void Stop() override {
        ++stops;
        report = nullptr;
    }
    bool LayoutTypes(const std::string& character) override { return character != lacking; }
    void Emit(RecordedEvent::Kind kind, int code, std::string text = {}, bool own = false,
              RecordedEvent::Stop stop = RecordedEvent::Stop::ByCode) {
        RecordedEvent event;
        event.stop = stop;
        event.kind = kind;
        event.keyCode = code;
        event.text = std::move(text);
        event.timeMs = ++clock;
        event.ownWindow = own;
        if (report)
            report(event);
    }
    void Type(int code, std::string text) {
        Emit(RecordedEvent::Kind::KeyDown, code, std::move(text));
        Emit(RecordedEvent::Kind::KeyUp, code);
    }

    EventFn report;
    std::string failWith;
    std::string lacking; // the character no key of the layout types
    int starts = 0, stops = 0;
    int64_t clock = 0;
};

struct CSink : IScriptSink, IRecordOwner {
    void AppendLine(const std::string& line) override { lines.push_back(line); }
    void ShowPendingLine(const std::string& line) override { pending = line; }
    void PostCommand(unsigned identifier) override { commands.push_back(identifier); }
    std::vector<std::string> lines;
    std::string pending;
    std::vector<unsigned> commands;
};

RecordInitT InitFor(CSink& sink) {
    RecordInitT init;
    init.scriptView = &sink;
    init.owner = &sink;
    init.stopModifier = vk::Ctrl;
    init.stopKey = 0x015A; // 'Z' with the shift state of the upper-case letter
    return init;
}

TEST(Recorder, RecordsUntilTheStopCombinationAndFlushesAtRelease) {
    CFakeRecordSource source;
    CSink sink;
    CRecorder recorder(source);
    recorder.ReleaseHooks(); // as the dialog does right after construction
    recorder.Init(InitFor(sink));
    ASSERT_EQ(recorder.Start(), "");
    EXPECT_TRUE(recorder.Recording());
    source.Type('H', "h");
    source.Type('I', "i");
    recorder.Pump();
    EXPECT_TRUE(sink.lines.empty());
    EXPECT_EQ(sink.pending, R"(TypeKeys("hi");)");
    source.Emit(RecordedEvent::Kind::KeyDown, vk::LeftCtrl);
    source.Emit(RecordedEvent::Kind::KeyDown, 'Z', "\x1a");
    source.Type('X', "x"); // after the stop: not recorded
    recorder.Pump();
    EXPECT_EQ(sink.commands, std::vector<unsigned>{kStopRecording});
    recorder.Pump();
    EXPECT_EQ(sink.commands.size(), 1u);
    recorder.ReleaseHooks();
    EXPECT_FALSE(recorder.Recording());
    EXPECT_EQ(sink.lines, std::vector<std::string>{R"(TypeKeys("hi");)"});
    EXPECT_EQ(sink.pending, "");
    EXPECT_EQ(source.report, nullptr);
}

TEST(Recorder, StartThatCannotRecordSaysWhyAndRecordsNothing) {
    CFakeRecordSource source;
    source.failWith = "Recording is unavailable: DISPLAY is not set.";
    CSink sink;
    CRecorder recorder(source);
    recorder.Init(InitFor(sink));
    EXPECT_EQ(recorder.Start(), source.failWith);
    EXPECT_FALSE(recorder.Recording());
    recorder.Pump();
    recorder.ReleaseHooks();
    EXPECT_TRUE(sink.lines.empty());

    CRecorder withoutView(source);
    EXPECT_NE(withoutView.Start(), "");

    // A stop character the layout lacks is refused before anything starts.
    source.failWith.clear();
    source.lacking = "\xC3\xA4";
    RecordInitT init = InitFor(sink);
    init.stopCharacter = source.lacking;
    recorder.Init(init);
    const int starts = source.starts;
    EXPECT_EQ(recorder.Start(), "No key types \"\xC3\xA4\" on the keyboard layout in use. "
                                "Choose another key to stop the recording.");
    EXPECT_EQ(source.starts, starts);
    EXPECT_FALSE(recorder.Recording());
}

// A source that knows the layout says which key stops; the virtual-key code
// (the US key of "#" under a German layout) then does not.
TEST(Recorder, TheSourceSaysWhichKeyStops) {
    using Stop = RecordedEvent::Stop;
    CFakeRecordSource source;
    CSink sink;
    CRecorder recorder(source);
    RecordInitT init = InitFor(sink);
    init.stopKey = 0x133; // "#" on a US keyboard: Shift+3
    init.stopCharacter = "#";
    recorder.Init(init);
    ASSERT_EQ(recorder.Start(), "");
    source.Emit(RecordedEvent::Kind::KeyDown, vk::LeftCtrl, {}, false, Stop::No);
    source.Emit(RecordedEvent::Kind::KeyDown, '3', {}, false, Stop::No);
    recorder.Pump();
    EXPECT_TRUE(sink.commands.empty());
    source.Emit(RecordedEvent::Kind::KeyDown, 191, {}, false, Stop::Yes);
    recorder.Pump();
    EXPECT_EQ(sink.commands, std::vector<unsigned>{kStopRecording});
}

TEST(Recorder, StartWhileRecordingRestartsAndKeepsWhatWasTyped) {
    CFakeRecordSource source;
    CSink sink;
    CRecorder recorder(source);
    recorder.SetTruncState(0);
    recorder.Init(InitFor(sink));
    ASSERT_EQ(recorder.Start(), "");
    RecordedEvent window;
    window.kind = RecordedEvent::Kind::WindowChange;
    window.title = "doc - App";
    source.report(window);
    source.Type('A', "a");
    ASSERT_EQ(recorder.Start(), "");
    EXPECT_EQ(source.starts, 2);
    source.Type('B', "b");
    recorder.ReleaseHooks();
    EXPECT_EQ(sink.lines, (std::vector<std::string>{R"(WinWait("doc - App", 5000);)",
                                                    R"(WinActivate("doc - App");)",
                                                    R"(TypeKeys("a");)", R"(TypeKeys("b");)"}));
}

// Events reported on the source's thread while the owner pumps arrive whole
// and in order; the wake callback fires from the source's thread.
TEST(Recorder, EventsFromAnotherThreadArriveInOrder) {
    CFakeRecordSource source;
    CSink sink;
    CRecorder recorder(source);
    std::atomic<int> wakes{0};
    recorder.SetWake([&] { ++wakes; });
    recorder.Init(InitFor(sink));
    ASSERT_EQ(recorder.Start(), "");
    constexpr int kKeys = 3000;
    std::thread typist([&] {
        for (int i = 0; i < kKeys; ++i)
            source.Type('A' + i % 26, std::string(1, static_cast<char>('a' + i % 26)));
    });
    while (wakes.load() < 2 * kKeys)
        recorder.Pump();
    typist.join();
    recorder.ReleaseHooks();
    ASSERT_EQ(sink.lines.size(), 1u);
    std::string expected;
    for (int i = 0; i < kKeys; ++i)
        expected += static_cast<char>('a' + i % 26);
    EXPECT_EQ(sink.lines[0], "TypeKeys(\"" + expected + "\");");
}

} // namespace
