#pragma once
// Turns recorded input events into Tessera script lines. Pure: no threads, no
// display; fed one timestamped event at a time.
//
// What comes out, one statement per line:
//   TypeKeys("...");             one per run of typing: the characters the user
//                                produced, named keys as <TOKENS>, chords as
//                                <CTRL>c
//   MouseClick(x, y[, button]);  press and release at one place; in a known
//                                window MouseClick(x, y, button, "window")
//                                with the position inside that window
//   MouseMove / MouseDown / MouseUp   a drag
//   MouseMove(x, y, "window"); MouseWheel(steps);   a run of wheel notches
//   Sleep(ms);                   the default delay between actions, or a
//                                pause longer than the idle limit
//   WinWait("t", 5000[, "class"]); WinActivate("t"[, 5000, "class"]);
//                                before the first action in a newly
//                                active window
// The stop combination and lone modifier presses are never written; nothing
// is left held when the recording is finished.

#include "record/Recorder.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TranslatorSettings {
    int32_t defaultDelay = 0;   // ms between actions; 0: none
    bool sleepWhenIdle = false; // write pauses longer than idleSeconds
    int32_t idleSeconds = 0;    // 0 or less: no idle pauses are written
    bool truncateTitles = true; // window titles cut to their stable part
    int stopModifier = 0;       // virtual-key code (generic 16, 17, 18)
    int stopKey = 0;            // virtual-key code, for keys the source leaves to it; 0: none
    int32_t windowWaitMs = kDefaultWindowWaitMs; // WinWait's and WinActivate's time per window
};

class CScriptTranslator {
public:
    explicit CScriptTranslator(const TranslatorSettings& settings);

    enum class Outcome { Continue, Stop };
    // Feeds one event; complete lines are appended to `lines`. Stop: the stop
    // combination was pressed; later events are ignored.
    Outcome Feed(const RecordedEvent& event, std::vector<std::string>& lines);
    // Ends the recording: the typing run is written and any button the script
    // holds down is released.
    void Finish(std::vector<std::string>& lines);
    // The typing run still being gathered as the line it will become; empty
    // when there is none.
    std::string PendingLine() const;

    void SetTruncateTitles(bool truncate) { settings.truncateTitles = truncate; }
    bool Stopped() const { return stopped; }

private:
    void KeyDown(const RecordedEvent& event, std::vector<std::string>& lines);
    void ButtonDown(const RecordedEvent& event, std::vector<std::string>& lines);
    void ButtonUp(const RecordedEvent& event, std::vector<std::string>& lines);
    // Writes what precedes an action starting at `timeMs`: the delay or idle
    // pause, and the window lines when the active window changed.
    void BeginAction(int64_t timeMs, std::vector<std::string>& lines);
    void FlushTyping(std::vector<std::string>& lines);
    void Wheel(const RecordedEvent& event, std::vector<std::string>& lines);
    void FlushWheel(std::vector<std::string>& lines);
    struct Press;
    // Whether positions of `press` are written inside the window the script
    // activated (the press's window is known and is that one).
    bool InWindow(const Press& press) const;
    // `x`, `y` of `press` as call arguments: inside its window when
    // InWindow, else the screen's. `between` goes before the "window" mode.
    std::string Position(const Press& press, int x, int y, const std::string& between = {}) const;
    bool ChordModifierHeld() const;

    TranslatorSettings settings;
    bool stopped = false;
    uint32_t heldModifiers = 0; // bit per modifier, see ScriptTranslator.cpp
    std::string typing;         // TypeKeys text of the run being gathered
    bool anyAction = false;     // an action was written
    int64_t lastActionMs = 0;   // when the last action (or typed key) ended
    struct WindowSeen {
        uint64_t id = 0;       // 0: known by its title only
        std::string title;     // as written: truncated when asked
        std::string className; // empty: none
        bool SameAs(const WindowSeen& other) const {
            return id || other.id ? id == other.id : title == other.title;
        }
    };
    WindowSeen active;  // the window that is active now
    WindowSeen written; // the window the script last activated
    bool WindowWritten() const { return !written.title.empty() && written.SameAs(active); }

    struct Press {
        int button = 0;
        int x = 0, y = 0;
        int64_t timeMs = 0;
        bool downWritten = false; // written as MouseDown (another button went down)
        bool inWindow = false;    // the origin below is known
        int originX = 0, originY = 0;
    };
    std::vector<Press> presses;
    int pointerX = 0, pointerY = 0; // last known position
    Press wheel;                    // where the run of wheel notches began
    int wheelSteps = 0;             // the run's notches, up positive; 0: none
};

// Helpers the translator writes with, shared with tests.
// `text` as a Tessera string literal, quotes included.
std::string ScriptStringLiteral(std::string_view text);
// The title WinWait/WinActivate get: truncated, the part after the last
// " - " or " — " when there is one, else the whole title.
std::string RecordedTitle(std::string_view title, bool truncate);
