#pragma once
// One RECORD session, as the key hook and the recorder both run it: a control
// connection (the context, keyboard notifications, whatever else the caller
// asks of the server), a data connection of its own for RECORD's data, the
// keyboard as last read, and a thread that reads the data and hands it to
// the caller's client. A pipe wakes the thread to stop it.

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/record.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

class CX11RecordSession {
public:
    // What the caller does on the recording thread.
    class IClient {
    public:
        virtual ~IClient() = default;
        // One event block from the server; the session frees it afterwards.
        virtual void Recorded(const XRecordInterceptData& data) = 0;
        // Called after every batch of data and wake-up: take in the keyboard
        // notifications (TakeKeyboardNotices) and act on them.
        virtual void FollowKeyboard() = 0;
        // Any other event of the control connection (what the caller asked
        // of the server itself), met while taking the keyboard notifications.
        virtual void ControlEvent(const XEvent& /*event*/) {}
    };

    // How opening or starting went; each caller words a failure for its users.
    enum class Outcome { Ok, Unavailable, NoKeyboardExtension, OutOfMemory, NotSetUp, NotStarted };

    // A caller's words for a failure: `prefix` opens the message ("Recording
    // is unavailable: "); the cause, or the text for the outcome, follows.
    struct Wording {
        const char* prefix;
        const char* notSetUp;   // NotSetUp: "the input recording could not be set up"
        const char* notStarted; // NotStarted: "the X server did not start recording"
    };
    // The message for a failed Open or Start, a sentence ending in ".".
    static std::string Describe(Outcome outcome, const std::string& cause, const Wording& wording);

    CX11RecordSession() = default;
    ~CX11RecordSession() { Close(); }
    CX11RecordSession(const CX11RecordSession&) = delete;
    CX11RecordSession& operator=(const CX11RecordSession&) = delete;

    // Empty when RECORD can run on the display, else why not, in `wording`
    // ("Recording is unavailable: DISPLAY is not set.").
    static std::string Probe(const std::string& displayName, const Wording& wording);

    // Opens both connections, checks for RECORD and XKEYBOARD, asks for the
    // notifications of layout, keymap, group and lock changes, and reads the
    // keyboard. Unavailable: `cause` says why.
    Outcome Open(const std::string& displayName, std::string& cause);
    // Records device events `firstEvent` to `lastEvent` of all clients on
    // the thread, for `client`. Returns once the server records, so nothing
    // done after it is missed, or after five seconds without that.
    Outcome Start(int firstEvent, int lastEvent, IClient& client);
    // Stops the thread, frees the context, closes the connections. A caller
    // whose client dies before the session calls this first.
    void Close();

    // Reads the keyboard notifications queued on the control connection and
    // rereads the keyboard when its map changed. True when the map, the
    // group or the locked modifiers changed. Other events go to the client's
    // ControlEvent. Once started: on the recording thread only.
    bool TakeKeyboardNotices();

    Display* Control() const { return control; }
    XkbDescPtr Keyboard() const { return keyboard; }
    int Group() const { return group; }
    unsigned LockedMods() const { return lockedMods; }
    unsigned NumLockMask() const { return numLockMask; }
    bool NumLock() const { return numLockMask && (lockedMods & numLockMask) == numLockMask; }

private:
    static void OnRecordedData(XPointer closure, XRecordInterceptData* intercepted);
    void LoadKeyboard();
    void Run();

    Display* control = nullptr;
    Display* data = nullptr;
    XRecordContext context = 0;
    XkbDescPtr keyboard = nullptr;
    int xkbEventBase = -1;
    unsigned numLockMask = 0;
    int group = 0;
    unsigned lockedMods = 0;
    int wake[2] = {-1, -1};
    IClient* client = nullptr;
    std::thread thread;

    std::mutex mutex;
    std::condition_variable stateChanged;
    bool recording = false;
    bool failed = false;
};
