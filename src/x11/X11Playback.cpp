// Key playback through XTest, for any keyboard layout: each keysym is typed
// with the key, layout group and Shift/AltGr level that make it, keysyms no
// key has go through borrowed spare keycodes, and the user's group, Caps
// Lock and held keys never mix into what is typed.
#include "x11/X11Desktop.h"

#include "triggers/KeyNames.h"
#include "triggers/TypeKeysParser.h"
#include "x11/X11Keys.h"

#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How long playback waits for the user to let go of held keys.
constexpr milliseconds kUserKeysPatience{1000};
// A borrowed keycode is mapped to another keysym only this long after its
// last use, so that clients have read the events of the old mapping.
constexpr milliseconds kReuseGap{60};
// And given back this long after its last use: an application that lags
// 10 ms per event behind a long string still reads it with its keysym.
constexpr milliseconds kGiveBackGrace{250};

std::string CharacterLabel(char32_t character) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(character));
    return buffer;
}

void Pause(int ms) {
    if (ms > 0)
        std::this_thread::sleep_for(milliseconds(ms));
}

} // namespace

void CX11Desktop::LoadKeyboardMap() {
    strokes.clear();
    spareKeycodes.clear();
    shiftKeycode = level3Keycode = 0;
    XkbStateRec state{};
    XkbGetState(display, XkbUseCoreKbd, &state);
    userGroup = state.locked_group;
    typingGroup = state.group;
    userCapsLock = (state.locked_mods & LockMask) != 0;
    XkbDescPtr xkb = XkbGetMap(display, XkbAllClientInfoMask, XkbUseCoreKbd);
    if (!xkb)
        return;
    level3Mask = XkbKeysymToModifiers(display, XK_ISO_Level3_Shift);
    auto isBorrowed = [&](unsigned keycode) {
        return std::any_of(borrowed.begin(), borrowed.end(),
                           [&](const Borrowed& each) { return each.keycode == keycode; });
    };
    // The modifier keys first: a level is usable only when its modifiers
    // can be pressed.
    for (unsigned keycode = xkb->min_key_code; keycode <= xkb->max_key_code; ++keycode) {
        if (XkbKeyNumGroups(xkb, keycode) < 1 || isBorrowed(keycode))
            continue;
        const KeySym plain = XkbKeySymEntry(xkb, keycode, 0, 0);
        if (plain == XK_Shift_L && !shiftKeycode)
            shiftKeycode = keycode;
        if (plain == XK_ISO_Level3_Shift && !level3Keycode)
            level3Keycode = keycode;
    }
    unsigned pressable = shiftKeycode ? ShiftMask : 0;
    if (level3Keycode && level3Mask)
        pressable |= level3Mask;
    std::unordered_map<unsigned long, int> scores;
    for (unsigned keycode = xkb->min_key_code; keycode <= xkb->max_key_code; ++keycode) {
        if (isBorrowed(keycode))
            continue;
        const int groups = XkbKeyNumGroups(xkb, keycode);
        bool empty = true;
        for (int group = 0; group < groups; ++group) {
            const XkbKeyTypePtr type = XkbKeyKeyType(xkb, keycode, group);
            const int width = XkbKeyGroupWidth(xkb, keycode, group);
            for (int level = 0; level < width; ++level) {
                const KeySym keysym = XkbKeySymEntry(xkb, keycode, level, group);
                if (keysym == NoSymbol)
                    continue;
                empty = false;
                // The fewest pressable modifiers that select this level.
                int bits = level == 0 ? 0 : 99;
                unsigned modifiers = 0;
                for (int entry = 0; level > 0 && entry < type->map_count; ++entry) {
                    const XkbKTMapEntryRec& map = type->map[entry];
                    const unsigned mask = map.mods.mask;
                    if (!map.active || map.level != level || (mask & ~pressable) ||
                        std::popcount(mask) >= bits)
                        continue;
                    bits = std::popcount(mask);
                    modifiers = mask;
                }
                if (bits == 99)
                    continue;
                // The user's group first, then the fewest modifiers.
                const int score = (group == state.group ? 0 : 100) + bits * 10;
                auto known = scores.find(keysym);
                if (known != scores.end() && known->second <= score)
                    continue;
                scores[keysym] = score;
                strokes[keysym] = Stroke{keycode, groups > 1 ? group : -1, modifiers};
            }
        }
        if (empty && keycode > 8)
            spareKeycodes.push_back(keycode);
    }
    XkbFreeKeyboard(xkb, 0, True);
}

bool CX11Desktop::Borrow(unsigned long keysym, Stroke& stroke) {
    const auto now = Clock::now();
    for (Borrowed& each : borrowed)
        if (each.keysym == keysym) {
            each.lastUsed = now;
            stroke = Stroke{each.keycode, -1, 0};
            return true;
        }
    unsigned keycode = 0;
    if (!spareKeycodes.empty()) {
        keycode = spareKeycodes.back();
        spareKeycodes.pop_back();
        borrowed.push_back({keycode, keysym, now});
    } else if (!borrowed.empty()) {
        // The least recently used one, once clients are done with it.
        auto oldest = std::min_element(
            borrowed.begin(), borrowed.end(),
            [](const Borrowed& a, const Borrowed& b) { return a.lastUsed < b.lastUsed; });
        std::this_thread::sleep_until(oldest->lastUsed + kReuseGap);
        keycode = oldest->keycode;
        oldest->keysym = keysym;
        oldest->lastUsed = Clock::now();
    } else {
        return false;
    }
    KeySym syms[2] = {keysym, keysym};
    XChangeKeyboardMapping(display, static_cast<int>(keycode), 2, syms, 1);
    XSync(display, False);
    stroke = Stroke{keycode, -1, 0};
    return true;
}

bool CX11Desktop::StrokeFor(unsigned long keysym, Stroke& stroke) {
    if (keysym == NoSymbol)
        return false;
    for (Borrowed& each : borrowed)
        if (each.keysym == keysym) {
            each.lastUsed = Clock::now();
            stroke = Stroke{each.keycode, -1, 0};
            return true;
        }
    const auto found = strokes.find(keysym);
    if (found != strokes.end()) {
        stroke = found->second;
        return true;
    }
    return Borrow(keysym, stroke);
}

void CX11Desktop::SelectGroup(int group) {
    if (group < 0 || group == typingGroup)
        return;
    XkbLockGroup(display, XkbUseCoreKbd, static_cast<unsigned>(group));
    typingGroup = group;
}

void CX11Desktop::FakeKey(unsigned keycode, bool down, int pauseMs) {
    XTestFakeKeyEvent(display, keycode, down ? True : False, CurrentTime);
    XFlush(display);
    if (down)
        keysDown.insert(keycode);
    else
        keysDown.erase(keycode);
    Pause(pauseMs);
}

void CX11Desktop::FakeButton(unsigned button, bool down) {
    XTestFakeButtonEvent(display, button, down ? True : False, CurrentTime);
    if (down)
        buttonsDown.insert(button);
    else
        buttonsDown.erase(button);
}

void CX11Desktop::LetGoOfUserKeys() {
    const auto deadline = Clock::now() + kUserKeysPatience;
    std::vector<unsigned> held;
    for (;;) {
        char keys[32] = {};
        XQueryKeymap(display, keys);
        held.clear();
        for (unsigned keycode = 8; keycode < 256; ++keycode)
            if (((keys[keycode / 8] >> (keycode % 8)) & 1) && !keysDown.count(keycode))
                held.push_back(keycode);
        if (held.empty() || Clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(milliseconds(5));
    }
    for (unsigned keycode : held)
        XTestFakeKeyEvent(display, keycode, False, CurrentTime);
    if (!held.empty())
        XSync(display, False);
}

void CX11Desktop::BeginPlayback() {
    LetGoOfUserKeys();
    LoadKeyboardMap();
    if (userCapsLock)
        XkbLockModifiers(display, XkbUseCoreKbd, LockMask, 0);
}

void CX11Desktop::EndPlayback() {
    ReleaseEverything();
    XkbStateRec state{};
    XkbGetState(display, XkbUseCoreKbd, &state);
    if (state.locked_group != userGroup)
        XkbLockGroup(display, XkbUseCoreKbd, static_cast<unsigned>(userGroup));
    if (userCapsLock)
        XkbLockModifiers(display, XkbUseCoreKbd, LockMask, LockMask);
    XSync(display, False);
}

void CX11Desktop::ReleaseEverything() {
    for (auto it = keysDown.rbegin(); it != keysDown.rend(); it = keysDown.rbegin())
        FakeKey(*it, false, 0);
    for (auto it = buttonsDown.begin(); it != buttonsDown.end(); it = buttonsDown.begin())
        FakeButton(*it, false);
    XSync(display, False);
}

void CX11Desktop::GiveBackBorrowedKeycodes() {
    if (borrowed.empty())
        return;
    auto latest = Clock::time_point::min();
    for (const Borrowed& each : borrowed)
        latest = std::max(latest, each.lastUsed);
    std::this_thread::sleep_until(latest + kGiveBackGrace);
    KeySym empty[2] = {NoSymbol, NoSymbol};
    for (const Borrowed& each : borrowed)
        XChangeKeyboardMapping(display, static_cast<int>(each.keycode), 2, empty, 1);
    borrowed.clear();
    XSync(display, False);
}

DesktopResult CX11Desktop::SendKeysym(unsigned long keysym, bool down, bool tap) {
    Stroke stroke;
    if (!StrokeFor(keysym, stroke))
        return DesktopResult::Fail(std::string("no key can type ") +
                                   (XKeysymToString(keysym) ? XKeysymToString(keysym) : "?"));
    // A named key is pressed as itself: a letter of a chord on the Latin
    // layout, never with the Shift or AltGr of its level.
    SelectGroup(stroke.group);
    if (tap) {
        FakeKey(stroke.keycode, true, pacing.holdMs);
        FakeKey(stroke.keycode, false, pacing.delayMs);
    } else {
        FakeKey(stroke.keycode, down, pacing.delayMs);
    }
    return DesktopResult::Ok();
}

DesktopResult CX11Desktop::TypeCharacter(char32_t character) {
    const KeySym keysym = KeysymForCharacter(character);
    Stroke stroke;
    if (keysym == NoSymbol || !StrokeFor(keysym, stroke))
        return DesktopResult::Fail("cannot type the character " + CharacterLabel(character) +
                                   ": no key and no spare keycode for it");
    SelectGroup(stroke.group);
    std::vector<unsigned> modifiers;
    if (stroke.modifiers & ShiftMask)
        modifiers.push_back(shiftKeycode);
    if (stroke.modifiers & level3Mask)
        modifiers.push_back(level3Keycode);
    for (unsigned modifier : modifiers)
        FakeKey(modifier, true, pacing.delayMs);
    FakeKey(stroke.keycode, true, pacing.holdMs);
    FakeKey(stroke.keycode, false, pacing.delayMs);
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it)
        FakeKey(*it, false, pacing.delayMs);
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

DesktopResult CX11Desktop::TypeKeys(const std::string& keys, const KeyPacing& keyPacing,
                                    const std::function<bool()>& stopRequested) {
    const TypeKeysPlan plan = ParseTypeKeys(keys);
    if (!plan.Ok())
        return DesktopResult::Fail(plan.error);
    std::lock_guard lock(mutex);
    pacing = keyPacing;
    BeginPlayback();
    DesktopResult result;
    for (const KeyAction& action : plan.actions) {
        if (stopRequested && stopRequested())
            break;
        result = Perform(action);
        if (!result.ok)
            break;
    }
    // Held modifiers of an unfinished chord, a stop or a failure: nothing
    // playback pressed stays down.
    EndPlayback();
    return result;
}
