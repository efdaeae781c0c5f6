#pragma once
// Trigger keys taken from the focused application: a passive grab of each
// combination on the root window, with every Caps/Num/Scroll Lock variant,
// on a connection and thread of their own. The thread reads and drops what
// the grabs deliver (the RECORD hook still reports those keys) and grabs
// again when the keymap, the layout group or NumLock changes which keycodes
// carry a combination's key.

#include "ports/KeyHook.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

struct _XDisplay; // Xlib's Display: its macros stay out of this header

class CX11KeyGrabs {
public:
    // `displayName` empty: $DISPLAY. Opens nothing until keys are taken.
    explicit CX11KeyGrabs(std::string displayName);
    ~CX11KeyGrabs();
    CX11KeyGrabs(const CX11KeyGrabs&) = delete;
    CX11KeyGrabs& operator=(const CX11KeyGrabs&) = delete;

    // Takes exactly `keys` (releasing the others) and returns, once the
    // server has answered, those another client holds. Without a display
    // nothing is taken and LastError says why.
    std::vector<TakenKey> Take(const std::vector<TakenKey>& keys);
    const std::string& LastError() const { return lastError; }

private:
    bool Start();
    void Run();
    void RunLoop();
    // On the thread: grab `wanted`, return the refused keys.
    std::vector<TakenKey> Apply(const std::vector<TakenKey>& wanted);
    // On the thread: read the events; true when the keys must be grabbed again.
    bool Drain();

    std::string displayName;
    std::string lastError;
    _XDisplay* display = nullptr;
    int wake[2] = {-1, -1};
    int xkbEventBase = -1;
    std::thread thread;

    std::mutex mutex;
    std::condition_variable answered;
    std::vector<TakenKey> request;
    std::vector<TakenKey> refused;
    uint64_t asked = 0;
    uint64_t done = 0;
    bool stopping = false;
    bool ended = false; // the thread has stopped

    // The thread's own: what is grabbed now (keycode, modifiers), what was
    // asked last (grabbed again after a keymap change), and which of it
    // another client held.
    std::set<std::pair<unsigned, unsigned>> grabbed;
    std::vector<TakenKey> current;
    std::vector<TakenKey> heldElsewhere;
    int group = 0;
    bool numLock = false;
};
