#pragma once
// Which window was active, and what each window was called, at the time of
// a recorded event. Recorded events are read a little after they happened,
// and by then an editor may have put its "modified" mark in the title in
// answer to the very key being read. The tracker keeps what it last read of
// each window and rereads a property only for changes the server reports
// (PropertyNotify, with the time of the change) from before the event.

#include "x11/X11WindowQuery.h"

#include <X11/Xlib.h>

#include <string>
#include <unordered_map>
#include <vector>

class CX11WindowTracker {
public:
    // Follows the root's active window and client list and the titles of
    // the windows there are now, on `control` (whose other events its owner
    // reads, handing PropertyNotify ones to Take).
    explicit CX11WindowTracker(Display* control);

    // A PropertyNotify of the control connection.
    void Take(const XEvent& event);
    // The active window at server time `time` (None: none).
    Window ActiveAt(Time time);
    // The title `window` had at server time `time`.
    std::string TitleAt(Window window, Time time);
    X11ClassNames ClassOf(Window window);

private:
    struct Change {
        Window window;
        Atom property;
        Time time;
    };
    struct Known {
        std::string title;
        X11ClassNames names;
    };
    // Takes in the reported changes up to `time` (of the active window:
    // up to and including it; of a title: before it, since a title that
    // changes in the same millisecond as a key changed because of it).
    void Settle(Time time);
    void Collect();
    Known& Follow(Window window);
    void FollowClientList();

    Display* display;
    Window root;
    Atom activeAtom, clientListAtom, netNameAtom;
    bool activeFollowed; // a window manager reports the active window
    Window active = None;
    std::unordered_map<Window, Known> windows;
    std::vector<Change> pending; // in the order the server reported them
    bool settling = false;
};
