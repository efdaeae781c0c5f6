// Key playback through XTest, for any keyboard layout: each keysym is typed
// with the key, layout group and Shift/AltGr level that make it, keysyms no
// key has go through lent spare keycodes, and the user's group, Caps
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
    shiftKeycode = level3Keycode = 0;
    XkbStateRec state{};
    XkbGetState(display, XkbUseCoreKbd, &state);
    userGroup = state.locked_group;
    typingGroup = state.group;
    userCapsLock = (state.locked_mods & LockMask) != 0;
    XkbDescPtr xkb = XkbGetMap(display, XkbAllClientInfoMask, XkbUseCoreKbd);
    if (!xkb) {
        spare.SetKeycodes({}, 1);
        return;
    }
    level3Mask = XkbKeysymToModifiers(display, XK_ISO_Level3_Shift);
    // Keycodes lent earlier that still hold what was put there stay lent;
    // another program's keymap may have taken them meanwhile.
    auto isLent = [&](unsigned keycode) {
        const auto lent = spare.On(keycode);
        if (!lent[0] && !lent[1])
            return false;
        if (XkbKeyNumGroups(xkb, keycode) != 1 || XkbKeyGroupWidth(xkb, keycode, 0) > 2)
            return false;
        const int width = XkbKeyGroupWidth(xkb, keycode, 0);
        for (int level = 0; level < 2; ++level)
            if (lent[level] != (level < width ? XkbKeySymEntry(xkb, keycode, level, 0) : 0))
                return false;
        return true;
    };
    // The modifier keys first: a level is usable only when its modifiers
    // can be pressed.
    for (unsigned keycode = xkb->min_key_code; keycode <= xkb->max_key_code; ++keycode) {
        if (XkbKeyNumGroups(xkb, keycode) < 1 || isLent(keycode))
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
    std::vector<CSpareKeys::Spare> spares;
    std::unordered_map<unsigned long, int> scores;
    for (unsigned keycode = xkb->min_key_code; keycode <= xkb->max_key_code; ++keycode) {
        if (isLent(keycode)) {
            spares.push_back({keycode, spare.On(keycode)});
            continue;
        }
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
            spares.push_back({keycode, {}});
    }
    // A spare keycode holds a second keysym on its Shift level.
    spare.SetKeycodes(spares, shiftKeycode ? 2 : 1);
    XkbFreeKeyboard(xkb, 0, True);
}

bool CX11Desktop::StrokeFor(unsigned long keysym, bool plain, Stroke& stroke) {
    if (keysym == NoSymbol)
        return false;
    CSpareKeys::Slot slot;
    const bool lent = spare.Find(keysym, slot) && (!plain || slot.level == 0);
    if (!lent) {
        const auto found = strokes.find(keysym);
        if (found != strokes.end()) {
            stroke = found->second;
            return true;
        }
        if (!Lend(keysym, plain) || !spare.Find(keysym, slot))
            return false;
    }
    spare.Typed(slot);
    stroke = Stroke{slot.keycode, -1, slot.level == 1 ? static_cast<unsigned>(ShiftMask) : 0u};
    return true;
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
    if (!down && spare.On(keycode) != std::array<unsigned long, 2>{})
        lastSpareUse = Clock::now();
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

DesktopResult CX11Desktop::SendKeysym(unsigned long keysym, bool down, bool tap) {
    Stroke stroke;
    if (!StrokeFor(keysym, true, stroke))
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
    if (keysym == NoSymbol || !StrokeFor(keysym, false, stroke))
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
    planActions = &plan.actions;
    for (planAt = 0; planAt < plan.actions.size(); ++planAt) {
        if (stopRequested && stopRequested())
            break;
        result = Perform(plan.actions[planAt]);
        if (!result.ok)
            break;
    }
    planActions = nullptr;
    // Held modifiers of an unfinished chord, a stop or a failure: nothing
    // playback pressed stays down.
    EndPlayback();
    return result;
}
