#pragma once
// The clipboard port on X11. Reads go through a connection of their own
// (one read at a time); ClipSet's text is served by an owner on another
// connection, driven by a thread started at the first SetText, until
// another program takes the clipboard or this object ends.

#include "ports/Clipboard.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class CX11SelectionOwner;
struct X11SelectionAtoms;
struct _XDisplay;

class CX11Clipboard : public IClipboard {
public:
    // Null with `why` set when the display cannot be opened.
    static std::unique_ptr<CX11Clipboard> Open(std::string* why,
                                               const std::string& displayName = {});
    // Stops serving: the clipboard empties unless KeepServingAfterExit ran.
    ~CX11Clipboard() override;
    CX11Clipboard(const CX11Clipboard&) = delete;
    CX11Clipboard& operator=(const CX11Clipboard&) = delete;

    DesktopResult GetText(ClipboardSelection which, std::string& text,
                          const std::function<bool()>& stopRequested) override;
    DesktopResult SetText(const std::string& text) override;

    // For a program about to end: while it still owns the clipboard, a
    // detached child process (new session, no files of ours, stdio on
    // /dev/null) takes the text over and serves it until another program
    // takes the clipboard. Returns once the child owns it; false with `why`
    // when it could not. Call once, from the only thread left.
    bool KeepServingAfterExit(std::string* why);

private:
    CX11Clipboard(_XDisplay* display, std::string displayName);
    void Serve();
    void StopServing();

    _XDisplay* readDisplay;
    std::unique_ptr<X11SelectionAtoms> atoms;
    unsigned long requestor; // the reading connection's window
    std::timed_mutex reading; // one read at a time
    std::string displayName;

    // The owner and its thread, which alone touches it while it runs.
    std::unique_ptr<CX11SelectionOwner> owner;
    std::thread server;
    int wake[2] = {-1, -1}; // a byte on it wakes the thread
    std::mutex mutex;
    std::condition_variable answered;
    std::shared_ptr<const std::string> pending; // to take next
    unsigned long asked = 0, done = 0;          // SetText requests
    std::string takeError;                      // of the last taken request
    bool stopping = false;
};
