#include "x11/X11Desktop.h"

#include "triggers/KeyNames.h"
#include "triggers/TypeKeysParser.h"
#include "x11/X11Display.h"
#include "x11/X11Keys.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

std::string CharacterLabel(char32_t character) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(character));
    return buffer;
}

} // namespace

std::unique_ptr<CX11Desktop> CX11Desktop::Open(std::string* why, AlertFn alertFn,
                                               const std::string& displayName) {
    std::string cause;
    Display* display = OpenX11Display(displayName, cause);
    if (display) {
        cause = MissingExtension(display, "XTEST");
        if (!cause.empty()) {
            XCloseDisplay(display);
            display = nullptr;
        }
    }
    if (why)
        *why = display ? "" : "Key and mouse playback is unavailable: " + cause + ".";
    if (!display)
        return nullptr;
    return std::unique_ptr<CX11Desktop>(new CX11Desktop(display, std::move(alertFn)));
}

CX11Desktop::CX11Desktop(Display* openDisplay, AlertFn alertFn)
    : display(openDisplay), alert(std::move(alertFn)) {
    // Our own fake events must not be held up by a client that grabbed the
    // server.
    XTestGrabControl(display, True);
}

CX11Desktop::~CX11Desktop() {
    // Give the borrowed keycodes back their empty mapping.
    if (!borrowedKeycodes.empty() && keysymsPerKeycode > 0) {
        std::vector<KeySym> empty(static_cast<size_t>(keysymsPerKeycode), NoSymbol);
        for (unsigned keycode : borrowedKeycodes)
            XChangeKeyboardMapping(display, static_cast<int>(keycode), keysymsPerKeycode,
                                   empty.data(), 1);
    }
    XSync(display, False);
    XCloseDisplay(display);
}

DesktopResult CX11Desktop::Alert(const std::string& message) {
    if (!alert)
        return DesktopResult::Fail("no message box is available here");
    return alert(message);
}

void CX11Desktop::LoadKeyboardMap() {
    XDisplayKeycodes(display, &minKeycode, &maxKeycode);
    int perKeycode = 0;
    KeySym* map = XGetKeyboardMapping(display, static_cast<KeyCode>(minKeycode),
                                      maxKeycode - minKeycode + 1, &perKeycode);
    keyboardMap.clear();
    keysymsPerKeycode = map ? perKeycode : 0;
    if (map) {
        keyboardMap.assign(map, map + (maxKeycode - minKeycode + 1) * perKeycode);
        XFree(map);
    }
}

bool CX11Desktop::KeycodeFor(unsigned long keysym, unsigned& keycode, int& level) {
    if (keysym == NoSymbol)
        return false;
    const auto count = static_cast<size_t>(maxKeycode - minKeycode + 1);
    const auto per = static_cast<size_t>(keysymsPerKeycode);
    auto symsOf = [&](size_t index) { return keyboardMap.data() + index * per; };
    // Shift level of keysym on one key: 0 plain, 1 shifted, -1 not there.
    auto levelOn = [&](size_t index) {
        const KeySym* syms = symsOf(index);
        if (per >= 1 && syms[0] == keysym)
            return 0;
        KeySym shifted = per >= 2 ? syms[1] : NoSymbol;
        if (shifted == NoSymbol && per >= 1 && syms[0] != NoSymbol) {
            KeySym lower = NoSymbol, upper = NoSymbol;
            XConvertCase(syms[0], &lower, &upper);
            shifted = upper != lower ? upper : NoSymbol;
        }
        return shifted == keysym ? 1 : -1;
    };
    if (per > 0) {
        for (int wanted : {0, 1})
            for (size_t index = 0; index < count; ++index)
                if (levelOn(index) == wanted) {
                    keycode = static_cast<unsigned>(minKeycode) + static_cast<unsigned>(index);
                    level = wanted;
                    return true;
                }
    }
    // Not on the keyboard: borrow an empty keycode (or the oldest borrowed
    // one) and map the keysym to it on both levels.
    unsigned spare = 0;
    for (size_t index = count; index-- > 0 && !spare;) {
        const KeySym* syms = symsOf(index);
        if (std::all_of(syms, syms + per, [](KeySym each) { return each == NoSymbol; }))
            spare = static_cast<unsigned>(minKeycode) + static_cast<unsigned>(index);
    }
    if (!spare && !borrowedKeycodes.empty()) {
        spare = borrowedKeycodes.front();
        borrowedKeycodes.erase(borrowedKeycodes.begin());
        // Let clients read events of the old mapping before it changes.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!spare || per == 0)
        return false;
    std::vector<KeySym> syms(per, NoSymbol);
    syms[0] = keysym;
    if (per >= 2)
        syms[1] = keysym;
    XChangeKeyboardMapping(display, static_cast<int>(spare), static_cast<int>(per), syms.data(), 1);
    XSync(display, False);
    std::copy(syms.begin(), syms.end(), symsOf(spare - static_cast<unsigned>(minKeycode)));
    borrowedKeycodes.push_back(spare);
    keycode = spare;
    level = 0;
    return true;
}

void CX11Desktop::FakeKey(unsigned keycode, bool down) {
    XTestFakeKeyEvent(display, keycode, down ? True : False, CurrentTime);
    XFlush(display);
    if (keyDelayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(keyDelayMs));
}

DesktopResult CX11Desktop::SendKeysym(unsigned long keysym, bool down, bool tap) {
    unsigned keycode = 0;
    int level = 0;
    if (!KeycodeFor(keysym, keycode, level))
        return DesktopResult::Fail(std::string("no key can type ") +
                                   (XKeysymToString(keysym) ? XKeysymToString(keysym) : "?"));
    if (tap || down)
        FakeKey(keycode, true);
    if (tap || !down)
        FakeKey(keycode, false);
    return DesktopResult::Ok();
}

DesktopResult CX11Desktop::TypeCharacter(char32_t character) {
    const KeySym keysym = KeysymForCharacter(character);
    unsigned keycode = 0, shiftKeycode = 0;
    int level = 0, shiftLevel = 0;
    if (keysym == NoSymbol || !KeycodeFor(keysym, keycode, level))
        return DesktopResult::Fail("cannot type the character " + CharacterLabel(character) +
                                   ": no key and no spare keycode for it");
    if (level == 1 && !KeycodeFor(XK_Shift_L, shiftKeycode, shiftLevel))
        return DesktopResult::Fail("the keyboard has no Shift key");
    if (level == 1)
        FakeKey(shiftKeycode, true);
    FakeKey(keycode, true);
    FakeKey(keycode, false);
    if (level == 1)
        FakeKey(shiftKeycode, false);
    return DesktopResult::Ok();
}

DesktopResult CX11Desktop::Perform(const KeyAction& action) {
    if (!action.code)
        return TypeCharacter(action.character);
    const KeySym keysym = KeysymForCode(action.code);
    if (keysym == NoSymbol)
        return DesktopResult::Fail("no key plays " + DescribeKeyAction(action));
    return SendKeysym(keysym, action.type == KeyAction::Type::Press,
                      action.type == KeyAction::Type::Tap);
}

DesktopResult CX11Desktop::TypeKeys(const std::string& keys) {
    const TypeKeysPlan plan = ParseTypeKeys(keys);
    if (!plan.Ok())
        return DesktopResult::Fail(plan.error);
    std::lock_guard lock(mutex);
    LoadKeyboardMap();
    std::vector<KeyAction> held;
    DesktopResult result;
    for (const KeyAction& action : plan.actions) {
        result = Perform(action);
        if (!result.ok)
            break;
        if (action.type == KeyAction::Type::Press)
            held.push_back(KeyAction::Release(action.code));
        else if (action.type == KeyAction::Type::Release)
            std::erase(held, action);
    }
    // A failure in the middle of a chord must not leave modifiers down.
    for (auto it = held.rbegin(); it != held.rend(); ++it)
        Perform(*it);
    XSync(display, False);
    return result;
}

namespace {

DesktopResult CheckButton(MouseButton button, unsigned& number) {
    const int value = static_cast<int>(button);
    if (value < 1 || value > 5)
        return DesktopResult::Fail("unknown mouse button " + std::to_string(value));
    number = static_cast<unsigned>(value);
    return DesktopResult::Ok();
}

} // namespace

DesktopResult CX11Desktop::MouseMove(int x, int y) {
    std::lock_guard lock(mutex);
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    XSync(display, False);
    return DesktopResult::Ok();
}

DesktopResult CX11Desktop::MouseClick(int x, int y, MouseButton button) {
    unsigned number = 0;
    if (DesktopResult checked = CheckButton(button, number); !checked.ok)
        return checked;
    std::lock_guard lock(mutex);
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    XTestFakeButtonEvent(display, number, True, CurrentTime);
    XTestFakeButtonEvent(display, number, False, CurrentTime);
    XSync(display, False);
    return DesktopResult::Ok();
}

DesktopResult CX11Desktop::MouseDown(MouseButton button) {
    unsigned number = 0;
    if (DesktopResult checked = CheckButton(button, number); !checked.ok)
        return checked;
    std::lock_guard lock(mutex);
    XTestFakeButtonEvent(display, number, True, CurrentTime);
    XSync(display, False);
    return DesktopResult::Ok();
}

DesktopResult CX11Desktop::MouseUp(MouseButton button) {
    unsigned number = 0;
    if (DesktopResult checked = CheckButton(button, number); !checked.ok)
        return checked;
    std::lock_guard lock(mutex);
    XTestFakeButtonEvent(display, number, False, CurrentTime);
    XSync(display, False);
    return DesktopResult::Ok();
}
