#pragma once
// A plain Xlib window that has the keyboard focus and writes down what it
// receives. Include after every project and GoogleTest header (X11 macros).

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "x11/X11Keys.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

// Presses and releases `keycode` with XTest, inside a press of `modifier`
// (a keycode; 0: none), and waits until the server has them.
inline void PressKey(Display* display, unsigned keycode, unsigned modifier = 0) {
    if (modifier)
        XTestFakeKeyEvent(display, modifier, True, 0);
    XTestFakeKeyEvent(display, keycode, True, 0);
    XTestFakeKeyEvent(display, keycode, False, 0);
    if (modifier)
        XTestFakeKeyEvent(display, modifier, False, 0);
    XSync(display, False);
}

// A plain Xlib window that has the keyboard focus and writes down what it
// receives: characters as UTF-8, Enter as "\n", Tab as "\t", a key pressed
// with Ctrl as "^k", with Alt as "M-k", other keys as "<Keysym_Name>".
class CTypingTarget {
public:
    explicit CTypingTarget(const std::string& displayName, bool takesPings = false)
        : answersPings(takesPings) {
        display = XOpenDisplay(displayName.c_str());
        if (!display)
            return;
        window =
            XCreateSimpleWindow(display, DefaultRootWindow(display), 10, 10, 300, 200, 0, 0, 0);
        XStoreName(display, window, "Typing target");
        if (answersPings) {
            Atom ping = XInternAtom(display, "_NET_WM_PING", False);
            XSetWMProtocols(display, window, &ping, 1);
        }
        XSelectInput(display, window,
                     KeyPressMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask);
        XMapRaised(display, window);
        for (XEvent event;
             XWindowEvent(display, window, StructureNotifyMask, &event), event.type != MapNotify;) {
        }
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
        // Xlib reads the keymap and asks for its changes at its first key
        // lookup; a change made before that is missed. Do it now, as an
        // application does long before anyone types into it.
        XKeysymToKeycode(display, XK_space);
        XSync(display, False);
    }
    ~CTypingTarget() {
        if (display)
            XCloseDisplay(display);
    }

    // Collects until `length` bytes arrived (or `patience` passed), then a
    // little longer so that anything extra shows.
    std::string Received(size_t length,
                         std::chrono::milliseconds patience = std::chrono::seconds(2)) {
        std::string text;
        const auto deadline = std::chrono::steady_clock::now() + patience;
        auto settle = std::chrono::steady_clock::time_point::max();
        while (std::chrono::steady_clock::now() < std::min(deadline, settle)) {
            while (XPending(display)) {
                XEvent event;
                XNextEvent(display, &event);
                if (event.type == MappingNotify)
                    XRefreshKeyboardMapping(&event.xmapping);
                else if (event.type == KeyPress)
                    Describe(event.xkey, text);
                else if (event.type == ClientMessage)
                    AnswerPing(event);
                if (lagPerEvent.count() > 0)
                    std::this_thread::sleep_for(lagPerEvent);
                else if (event.type == ButtonPress || event.type == ButtonRelease)
                    clicks.push_back(std::string(event.type == ButtonPress ? "down " : "up ") +
                                     std::to_string(event.xbutton.button) + " at " +
                                     std::to_string(event.xbutton.x) + "," +
                                     std::to_string(event.xbutton.y));
            }
            if (text.size() >= length && settle == std::chrono::steady_clock::time_point::max())
                settle = std::chrono::steady_clock::now() + std::chrono::milliseconds(60);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return text;
    }

    Display* display = nullptr;
    Window window = 0;
    std::vector<std::string> clicks;
    // A slow application: this long for every event it reads.
    std::chrono::milliseconds lagPerEvent{0};
    // Whether it takes _NET_WM_PING, as toolkit windows do (then it must
    // read while keys are typed, or typing waits for its answers).
    const bool answersPings;

private:
    void AnswerPing(XEvent& event) {
        const Window root = DefaultRootWindow(display);
        if (event.xclient.window == root || static_cast<Atom>(event.xclient.data.l[0]) !=
                                                XInternAtom(display, "_NET_WM_PING", False))
            return;
        event.xclient.window = root;
        XSendEvent(display, root, False, SubstructureNotifyMask | SubstructureRedirectMask, &event);
        XFlush(display);
    }

    static void Describe(XKeyEvent& key, std::string& text) {
        char buffer[32];
        KeySym keysym = NoSymbol;
        XLookupString(&key, buffer, sizeof buffer, &keysym, nullptr);
        if (IsModifierKey(keysym))
            return;
        if (key.state & ControlMask)
            text += "^";
        if (key.state & Mod1Mask)
            text += "M-";
        if (keysym == XK_Return)
            text += "\n";
        else if (keysym == XK_Tab)
            text += "\t";
        else if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF))
            AppendUtf8(text, static_cast<char32_t>(keysym));
        else if ((keysym & 0xFF000000) == 0x01000000)
            AppendUtf8(text, static_cast<char32_t>(keysym & 0x00FFFFFF));
        else
            text +=
                std::string("<") + (XKeysymToString(keysym) ? XKeysymToString(keysym) : "?") + ">";
    }
};

} // namespace
