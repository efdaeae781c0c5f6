#pragma once
// Owns the CLIPBOARD selection on a connection of its own and answers
// other programs' requests for its text: TARGETS, TIMESTAMP, UTF8_STRING,
// TEXT and STRING, in INCR chunks when the text is larger than one request
// may carry. One thread drives it: Take, then HandlePending whenever the
// connection is readable (and now and then, to drop stalled transfers).

#include "x11/X11Selection.h"

#include <X11/Xlib.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

class CX11SelectionOwner {
public:
    // Null with `why` set when the display cannot be opened.
    static std::unique_ptr<CX11SelectionOwner> Open(const std::string& displayName,
                                                    std::string& why);
    ~CX11SelectionOwner();
    CX11SelectionOwner(const CX11SelectionOwner&) = delete;
    CX11SelectionOwner& operator=(const CX11SelectionOwner&) = delete;

    // Becomes the clipboard's owner with `text`; false with `why` when the
    // server did not make it so.
    bool Take(std::shared_ptr<const std::string> text, std::string& why);
    // Answers every request and event that has arrived, then flushes.
    void HandlePending();
    // Still the owner (no other program took the clipboard).
    bool Owns() const { return owned; }
    // Chunks of a large text are still to be sent to someone.
    bool Transferring() const { return !transfers.empty(); }
    std::shared_ptr<const std::string> Text() const { return text; }
    int Connection() const { return ConnectionNumber(display); }

private:
    CX11SelectionOwner(Display* display);

    struct Transfer {
        Window requestor;
        Atom property;
        Atom type;
        std::shared_ptr<const std::string> data;
        size_t sent = 0;
        std::chrono::steady_clock::time_point lastStep;
    };

    void Handle(const XEvent& event);
    void Answer(const XSelectionRequestEvent& request);
    // Puts `data` of `type` into the property, or starts an INCR transfer.
    void Send(Window requestor, Atom property, Atom type, std::shared_ptr<const std::string> data);
    void Continue(const XPropertyEvent& event);
    Time ServerTime();

    Display* display;
    X11SelectionAtoms atoms;
    Window window;
    std::shared_ptr<const std::string> text;
    Time ownedSince = CurrentTime;
    bool owned = false;
    size_t chunkLimit; // the most bytes one ChangeProperty may carry here
    std::vector<Transfer> transfers;
};
