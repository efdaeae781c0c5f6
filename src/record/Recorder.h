#pragma once
// The script recorder: input events in, Tessera script lines out.
//
// An event source (the X11 adapter, or a fake in tests) reports what the user
// does on a thread of its own; those reports are only queued. Pump(), called
// on the owner's thread, translates the queued events into script lines and
// hands them to the script view. The stop combination never reaches the
// script: the recorder posts kStopRecording to its owner instead.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Sent to the owner when the stop combination is pressed while recording.
constexpr unsigned kStopRecording = 200002;

// How long a recorded script waits for each window, by default and at most
// (the user sets it in the Record Script dialog or with --wait-timeout).
constexpr int32_t kDefaultWindowWaitMs = 5000;
constexpr int32_t kMaxWindowWaitMs = 600000;

// One input event as the source saw it. Times are milliseconds on one
// monotonic clock; coordinates are the screen's.
struct RecordedEvent {
    enum class Kind { KeyDown, KeyUp, ButtonDown, ButtonUp, Motion, WindowChange };
    Kind kind = Kind::KeyDown;
    int64_t timeMs = 0;
    int keyCode = 0;        // KeyDown/KeyUp: virtual-key code (modifiers 16, 17, 18)
    std::string text;       // KeyDown: the UTF-8 character the key produced, if any
    bool composing = false; // KeyDown: a dead key or Compose sequence under way; no text yet
    // ButtonDown/ButtonUp: 1 left, 2 middle, 3 right; 4 and 5 a notch of
    // the wheel up and down (a ButtonDown each)
    int button = 0;
    int x = 0, y = 0; // ButtonDown/ButtonUp/Motion: pointer position
    // ButtonDown/ButtonUp: where the contents of the window the press is in
    // begin on the screen, when that window is known (the window of the last
    // WindowChange): positions are then written relative to it.
    bool inWindow = false;
    int originX = 0, originY = 0;
    std::string title;   // WindowChange: the active window's title at the event's time
    std::string wmClass; // WindowChange: its class
    // WindowChange: the window's identity on the desktop; 0 when the source
    // cannot tell windows apart (a new title is then a new window).
    uint64_t window = 0;
    bool ownWindow = false; // aimed at one of this program's own windows
    // KeyDown: whether this is the stop key. A source that knows the layout
    // says so (the key that types the stop character); else the recorder
    // compares the virtual-key code with the stop key's.
    enum class Stop { ByCode, No, Yes };
    Stop stop = Stop::ByCode;
};

// Port: where the events come from.
class IRecordSource {
public:
    using EventFn = std::function<void(const RecordedEvent&)>;
    virtual ~IRecordSource() = default;
    // Starts reporting to `onEvent` (called on the source's thread; it only
    // queues). Empty when recording started, else why it cannot
    // ("Recording is unavailable: ...").
    virtual std::string Start(EventFn onEvent) = 0;
    // Stops; no report is made once it returns. Safe when not started.
    virtual void Stop() = 0;
    // The stop combination of the next Start (virtual-key codes; key 0:
    // none) and the character its key types (UTF-8; empty: the key is
    // `keyCode`). A source that knows the layout takes the key that types
    // the character there and marks its presses (RecordedEvent::stop); a
    // source that can keeps the combination from reaching the application
    // the user works in, while still reporting it.
    virtual void SetStopCombination(int /*modifierCode*/, int /*keyCode*/,
                                    const std::string& /*character*/) {}
    // False when the keyboard layout in use has no key that types
    // `character`; sources that cannot tell say true.
    virtual bool LayoutTypes(const std::string& /*character*/) { return true; }
};

// Port: the script view the lines go to.
class IScriptSink {
public:
    virtual ~IScriptSink() = default;
    virtual void AppendLine(const std::string& line) = 0; // without line break
    // The run of typing still being gathered, as the line it will become
    // (empty when none), for views that show it as it grows; the finished
    // line arrives later through AppendLine. Views may ignore it.
    virtual void ShowPendingLine(const std::string& /*line*/) {}
};

// Port: the window that owns the recording (receives kStopRecording).
class IRecordOwner {
public:
    virtual ~IRecordOwner() = default;
    virtual void PostCommand(unsigned identifier) = 0;
};

// The recorder's settings, given at every Start.
struct RecordInitT {
    IScriptSink* scriptView = nullptr;
    int32_t defaultDelay = 0;  // ms; a Sleep between recorded actions when > 0
    uint16_t stopModifier = 0; // 0x12 ALT, 0x11 CTRL, 0x10 SHIFT
    uint16_t stopKey = 0;      // low byte virtual-key code, high byte shift state; 0: none
    std::string stopCharacter; // what the stop key types (UTF-8); empty: stopKey is the key
    IRecordOwner* owner = nullptr;
    bool sleepWhenIdle = false; // "Insert 'Sleep' when idle more than N seconds"
    int32_t idleSeconds = 0;
    // How long the script waits for each window it names to appear, and
    // then to become active, in milliseconds.
    int32_t windowWaitMs = kDefaultWindowWaitMs;
};

// The recorder the Record Script dialog and `wingmatectl record` drive.
// Every member is called on the owner's thread; only the source's report
// callback runs elsewhere, and it only queues.
class CRecorder {
public:
    explicit CRecorder(IRecordSource& source);
    ~CRecorder();
    CRecorder(const CRecorder&) = delete;
    CRecorder& operator=(const CRecorder&) = delete;

    // Ends recording: the source stops, pending typing is written, and the
    // script never ends with a modifier or button held. Safe when idle.
    void ReleaseHooks();
    // Takes the settings for the next Start. Returns 1.
    int Init(const RecordInitT& init);
    // Starts recording into init.scriptView. Empty when it started, else
    // why it cannot (the caller shows it; nothing is recorded).
    std::string Start();
    // 1: window titles are written truncated to their stable part; 0: whole.
    void SetTruncState(int state);
    // A command the owner received; nonzero when it was the recorder's.
    int OnCommand(unsigned identifier, long parameter);

    // Called on the source's thread each time events were queued; the owner
    // arranges for Pump() to run on its own thread, without waiting for it
    // (ReleaseHooks waits for the source's thread).
    void SetWake(std::function<void()> wake);
    // Translates the queued events into script lines.
    void Pump();
    bool Recording() const;

private:
    struct State;
    std::unique_ptr<State> state;
};
